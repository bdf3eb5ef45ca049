// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/WavReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace wavio {
namespace {

constexpr std::uint16_t TagPcm = 1;
constexpr std::uint16_t TagFloat = 3;
constexpr std::uint16_t TagExtensible = 0xFFFE;
constexpr std::uint32_t ExtensibleFormatSize = 40;
// Sizes a streaming writer puts in the header when it cannot know the length.
constexpr std::uint32_t UnknownSizes[] = {0, 0xFFFFFFFF};
constexpr std::uint64_t Unbounded = std::numeric_limits<std::uint64_t>::max();
// A pipe's capacity: fewer, fuller reads than stdio's default for a pipe.
constexpr std::size_t StreamBuffer = 64 * 1024;

std::uint32_t Le(const std::uint8_t* at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

bool IsUnknownSize(std::uint32_t size)
{
    return std::find(std::begin(UnknownSizes), std::end(UnknownSizes), size) != std::end(UnknownSizes);
}

}  // namespace

std::string InputName(const std::filesystem::path& path)
{
    return path == StandardInputPath ? "standard input" : path.string();
}

WavReader::~WavReader()
{
    if (file_ && !stream_)
        std::fclose(file_);
}

bool WavReader::Open(const std::filesystem::path& path, bool ignoreLength, std::string& error)
{
    if (path == StandardInputPath) {
        file_ = stdin;
        stream_ = true;
        std::setvbuf(file_, nullptr, _IOFBF, StreamBuffer);
        inputSize_ = Unbounded;
    } else if (!OpenFile(path, error)) {
        return false;
    }
    std::array<std::uint8_t, 12> riff {};
    if (!ReadExactly(riff.data(), riff.size()) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
        std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
        error = position_ == 0 ? "the input is empty" : "not a RIFF WAVE file";
        return false;
    }
    return ParseChunks(ignoreLength, error);
}

bool WavReader::OpenFile(const std::filesystem::path& path, std::string& error)
{
    file_ = std::fopen(path.c_str(), "rb");
    struct stat info {};
    if (!file_ || fstat(fileno(file_), &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    inputSize_ = std::uint64_t(info.st_size);
    return true;
}

bool WavReader::ParseChunks(bool ignoreLength, std::string& error)
{
    bool haveFormat = false;
    std::uint64_t next = position_;
    std::array<std::uint8_t, 8> chunk {};
    while (next + chunk.size() <= inputSize_) {
        if (!SkipTo(next) || !ReadExactly(chunk.data(), chunk.size()))
            break;
        const std::uint32_t size = Le(chunk.data() + 4, 4);
        next = position_ + size + (size & 1);
        if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
            if (!ParseFormatChunk(size, error))
                return false;
            haveFormat = true;
        } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
            if (!haveFormat) {
                error = "the data chunk comes before the format chunk";
                return false;
            }
            StartData(size, ignoreLength);
            return true;
        }
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

bool WavReader::ParseFormatChunk(std::uint32_t size, std::string& error)
{
    std::array<std::uint8_t, ExtensibleFormatSize> fmt {};
    if (size < 16 || !ReadExactly(fmt.data(), std::min<std::uint32_t>(size, fmt.size()))) {
        error = "damaged format chunk";
        return false;
    }
    std::uint16_t tag = std::uint16_t(Le(fmt.data(), 2));
    if (tag == TagExtensible && size >= ExtensibleFormatSize) {
        format_.channelMask = Le(fmt.data() + 20, 4);
        tag = std::uint16_t(Le(fmt.data() + 24, 2));  // first bytes of the sub-format GUID
    }
    if (tag != TagPcm && tag != TagFloat) {
        error = "not PCM audio (format tag " + std::to_string(tag) + ")";
        return false;
    }
    format_.kind = tag == TagFloat ? SampleKind::Float : SampleKind::Integer;
    format_.channels = int(Le(fmt.data() + 2, 2));
    format_.sampleRate = int(std::min<std::uint32_t>(Le(fmt.data() + 4, 4), 0x7FFFFFFF));
    format_.bitsPerSample = int(Le(fmt.data() + 14, 2));
    const int blockAlign = int(Le(fmt.data() + 12, 2));
    if (!IsSupported(format_) || blockAlign != format_.BlockAlign()) {
        error = "unsupported layout: " + std::to_string(format_.channels) + " channels, " +
                std::to_string(format_.bitsPerSample) + " bits, " + std::to_string(format_.sampleRate) + " Hz";
        return false;
    }
    return true;
}

void WavReader::StartData(std::uint32_t declared, bool ignoreLength)
{
    const std::uint64_t blockAlign = std::uint64_t(format_.BlockAlign());
    const bool claimed = !IsUnknownSize(declared);
    const bool lengthFromHeader = claimed && !ignoreLength;
    // A streamed or cut-off file declares more than it holds.
    const std::uint64_t rest = inputSize_ - position_;
    framesLeft_ = (lengthFromHeader ? std::min<std::uint64_t>(declared, rest) : rest) / blockAlign;
    if (!stream_ || lengthFromHeader)
        expectedFrames_ = framesLeft_;
    else
        expectedFrames_ = claimed ? declared / blockAlign : 0;
}

bool WavReader::ReadExactly(void* buffer, std::size_t size)
{
    const std::size_t got = std::fread(buffer, 1, size, file_);
    position_ += got;
    return got == size;
}

// Streams cannot seek, so what lies between is read and dropped.
bool WavReader::SkipTo(std::uint64_t position)
{
    if (!stream_) {
        position_ = position;
        return fseeko(file_, off_t(position), SEEK_SET) == 0;
    }
    std::array<std::uint8_t, 4096> scratch {};
    while (position_ < position)
        if (!ReadExactly(scratch.data(), std::size_t(std::min<std::uint64_t>(scratch.size(), position - position_))))
            return false;
    return true;
}

std::size_t WavReader::Read(std::uint8_t* buffer, std::size_t maxFrames)
{
    const std::size_t wanted = std::size_t(std::min<std::uint64_t>(maxFrames, framesLeft_));
    if (wanted == 0 || failed_)
        return 0;
    const std::size_t blockAlign = std::size_t(format_.BlockAlign());
    const std::size_t bytes = std::fread(buffer, 1, wanted * blockAlign, file_);
    const std::size_t frames = bytes / blockAlign;
    framesLeft_ -= frames;
    if (frames < wanted) {
        // A stream may end anywhere; a file that holds less than it did at
        // Open shrank, and a read error is an error either way.
        failed_ = !stream_ || std::ferror(file_);
        framesLeft_ = 0;
    }
    return frames;
}

}  // namespace wavio
