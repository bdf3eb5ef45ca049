// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Monkey.h"

#include "analysis/FileReader.h"
#include "tags/classes/TagError.h"

using namespace analysis;

namespace {

constexpr std::uint32_t DescriptorVersion = 3980;  // first version with a descriptor
constexpr std::uint32_t KnownDescriptorLength = 52;
constexpr std::size_t MaxHeaderLength = 24;

struct FrameLayout {
    std::uint32_t blocksPerFrame = 0;
    std::uint32_t finalFrameBlocks = 0;
    std::uint32_t totalFrames = 0;
};

std::uint32_t OldBlocksPerFrame(std::uint32_t version, std::uint32_t compression)
{
    if (version >= 3950)
        return 294912;
    if (version >= 3900 || (version >= 3800 && compression == 4000))
        return 73728;
    return 9216;
}

}  // namespace

void TMonkey::Clear()
{
    Valid = false;
    Version = Channels = SampleRate = BitsPerSample = CompressionLevel = FormatFlags = 0;
    SampleCount = 0;
    ClearTags();
}

bool TMonkey::Load(const std::filesystem::path& path)
{
    Clear();
    try {
        // Opened first: the tag objects are not asked to open what is no file.
        const FileReader file(path);
        ID3v2.Load(path);
        ID3v1.Load(path);
        APEtag.Load(path);
        ReadHeader(file);
    } catch (const TagError&) {
        return false;
    }
    Valid = BitsPerSample > 0 && SampleRate > 0 && SampleCount > 0 && Channels > 0;
    return Valid;
}

bool TMonkey::ReadHeader(const FileReader& file)
{
    const std::uint64_t start = StreamStart();
    const Bytes mark = file.Read(start, 6);
    if (mark.size() < 6 || !StartsWith(mark, "MAC "))
        return false;
    Version = ReadLE16(&mark[4]);
    FrameLayout frames;
    if (Version >= DescriptorVersion) {
        const Bytes descriptor = file.Read(start, KnownDescriptorLength);
        if (descriptor.size() < KnownDescriptorLength)
            return false;
        const std::uint32_t descriptorLength = ReadLE32(&descriptor[8]);
        if (descriptorLength < KnownDescriptorLength)
            return false;
        const std::size_t headerLength = std::min<std::size_t>(ReadLE32(&descriptor[12]), MaxHeaderLength);
        Bytes header = file.Read(start + descriptorLength, headerLength);
        if (header.size() < headerLength)
            return false;
        header.resize(MaxHeaderLength, 0);
        CompressionLevel = ReadLE16(&header[0]);
        FormatFlags = ReadLE16(&header[2]);
        frames = {ReadLE32(&header[4]), ReadLE32(&header[8]), ReadLE32(&header[12])};
        BitsPerSample = ReadLE16(&header[16]);
        Channels = ReadLE16(&header[18]);
        SampleRate = ReadLE32(&header[20]);
    } else {
        const Bytes header = file.Read(start, 36);
        if (header.size() < 36)
            return false;
        CompressionLevel = ReadLE16(&header[6]);
        FormatFlags = ReadLE16(&header[8]);
        Channels = ReadLE16(&header[10]);
        SampleRate = ReadLE32(&header[12]);
        BitsPerSample = (FormatFlags & 0x08) ? 24 : (FormatFlags & 0x01) ? 8 : 16;
        frames = {OldBlocksPerFrame(Version, CompressionLevel), ReadLE32(&header[28]), ReadLE32(&header[24])};
    }
    if (frames.totalFrames > 0)
        SampleCount = std::uint64_t(frames.totalFrames - 1) * frames.blocksPerFrame + frames.finalFrameBlocks;
    return true;
}
