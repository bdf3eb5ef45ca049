// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/MPEGaudio.h"

#include "analysis/FileReader.h"
#include "tags/classes/TagError.h"

#include <array>

namespace analysis {
namespace {

constexpr std::size_t SearchPositions = MPEGBlockSize / 2 + 1;

enum Version { MPEG25 = 0, Reserved = 1, MPEG2 = 2, MPEG1 = 3 };
enum Layer { LayerIII = 1, LayerII = 2, LayerI = 3 };

using BitRateRow = std::array<std::uint16_t, 16>;
constexpr BitRateRow Mpeg1LayerI = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr BitRateRow Mpeg1LayerII = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
constexpr BitRateRow Mpeg1LayerIII = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr BitRateRow Mpeg2LayerI = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
constexpr BitRateRow Mpeg2LayerII_III = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

constexpr std::array<std::array<std::uint32_t, 4>, 4> SampleRates = {{
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
}};

const BitRateRow* BitRates(const TMPEGframe& frame)
{
    if (frame.VersionCode == Reserved || frame.LayerCode == 0 || frame.VersionCode > MPEG1 ||
        frame.LayerCode > LayerI)
        return nullptr;
    if (frame.VersionCode == MPEG1)
        return frame.LayerCode == LayerI ? &Mpeg1LayerI : frame.LayerCode == LayerII ? &Mpeg1LayerII : &Mpeg1LayerIII;
    return frame.LayerCode == LayerI ? &Mpeg2LayerI : &Mpeg2LayerII_III;
}

}  // namespace

bool IsFrameHeader(const std::uint8_t* b)
{
    const int version = (b[1] >> 3) & 3, layer = (b[1] >> 1) & 3;
    const int bitRate = b[2] >> 4, sampleRate = (b[2] >> 2) & 3;
    return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && version != Reserved && layer != 0 &&
           bitRate != 15 && bitRate != 0 && sampleRate != 3 && (b[3] & 3) != 2;
}

TMPEGframe DecodeFrameHeader(const std::uint8_t* b)
{
    TMPEGframe frame;
    frame.VersionCode = std::uint8_t((b[1] >> 3) & 3);
    frame.LayerCode = std::uint8_t((b[1] >> 1) & 3);
    frame.BitRateIndex = std::uint16_t(b[2] >> 4);
    frame.SampleRateIndex = std::uint16_t((b[2] >> 2) & 3);
    frame.Padded = (b[2] >> 1) & 1;
    frame.EmphasisCode = std::uint8_t(b[3] & 3);
    return frame;
}

int FrameBitRate(const TMPEGframe& frame)
{
    const BitRateRow* row = BitRates(frame);
    return row && frame.BitRateIndex < 16 ? (*row)[frame.BitRateIndex] : 0;
}

int FrameSampleRate(const TMPEGframe& frame)
{
    if (frame.VersionCode > MPEG1 || frame.SampleRateIndex > 3)
        return 0;
    return int(SampleRates[frame.VersionCode][frame.SampleRateIndex]);
}

std::uint16_t FrameLength(const TMPEGframe& frame)
{
    const int sampleRate = FrameSampleRate(frame);
    if (sampleRate == 0 || !BitRates(frame))
        return 0;
    const bool mpeg1 = frame.VersionCode == MPEG1;
    const int coefficient = frame.LayerCode == LayerI ? (mpeg1 ? 48 : 24)
                            : frame.LayerCode == LayerII ? 144 : (mpeg1 ? 144 : 72);
    const int padding = frame.Padded ? (frame.LayerCode == LayerI ? 4 : 1) : 0;
    return std::uint16_t(std::int64_t(coefficient) * FrameBitRate(frame) * 1000 / sampleRate + padding);
}

TMPEGframe FindFrame(const Bytes& block)
{
    // Room for the successor test near the end: unread bytes are zero.
    Bytes bytes(MPEGBlockSize + 4, 0);
    std::copy_n(block.begin(), std::min(block.size(), MPEGBlockSize), bytes.begin());
    for (std::size_t p = 0; p < SearchPositions; ++p) {
        if (!IsFrameHeader(&bytes[p]))
            continue;
        TMPEGframe frame = DecodeFrameHeader(&bytes[p]);
        const std::size_t next = p + FrameLength(frame);
        if (next < MPEGBlockSize && IsFrameHeader(&bytes[next])) {
            frame.Found = true;
            frame.Position = std::uint32_t(p);
            frame.Length = FrameLength(frame);
            return frame;
        }
    }
    return {};
}

}  // namespace analysis

using namespace analysis;

void TMPEGaudio::Clear()
{
    Frame = {};
    ClearTags();
}

bool TMPEGaudio::Load(const std::filesystem::path& path)
{
    Clear();
    bool read = false;
    try {
        read = Search(path);
    } catch (const TagError&) {
        read = false;
    }
    if (!Frame.Found)
        Clear();
    return read;
}

bool TMPEGaudio::Search(const std::filesystem::path& path)
{
    // Opened first: the tag objects are not asked to open what is no file.
    const FileReader file(path);
    if (!ID3v2.Load(path) || !ID3v1.Load(path))
        return true;
    for (std::uint64_t offset = StreamStart();; offset += MPEGBlockSize) {
        const Bytes block = file.Read(offset, MPEGBlockSize);
        Frame = FindFrame(block);
        if (Frame.Found || block.size() < MPEGBlockSize)
            return true;
    }
}
