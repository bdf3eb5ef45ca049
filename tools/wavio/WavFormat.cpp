// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/WavFormat.h"

#include <cstring>

namespace wavio {
namespace {

constexpr int MaxChannels = 64;
constexpr int MaxSampleRate = 1536000;

void PutLe(std::uint8_t* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

// The speakers WAVE assigns to 1 to 8 channels by default.
std::uint32_t UsualChannelMask(int channels)
{
    static constexpr std::uint32_t Masks[] = {0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};
    return channels >= 1 && channels <= 8 ? Masks[channels - 1] : 0;
}

}  // namespace

bool IsSupported(const WavFormat& format)
{
    if (format.channels < 1 || format.channels > MaxChannels || format.sampleRate < 1 ||
        format.sampleRate > MaxSampleRate)
        return false;
    if (format.kind == SampleKind::Float)
        return format.bitsPerSample == 32 || format.bitsPerSample == 64;
    return format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 24 ||
           format.bitsPerSample == 32;
}

std::vector<std::uint8_t> MakeWavHeader(const WavFormat& format, std::uint32_t dataBytes)
{
    const bool extensible = format.bitsPerSample > 16 || format.channels > 2;
    const std::uint32_t formatBytes = extensible ? 40 : 16;
    const std::uint32_t tag = format.kind == SampleKind::Float ? 3 : 1;
    std::vector<std::uint8_t> header(20 + formatBytes + 8);
    std::uint8_t* h = header.data();
    const std::uint32_t padded = dataBytes + (dataBytes & 1);
    std::memcpy(h, "RIFF", 4);
    PutLe(h + 4, std::uint32_t(header.size()) - 8 + padded, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe(h + 16, formatBytes, 4);
    PutLe(h + 20, extensible ? 0xFFFE : tag, 2);
    PutLe(h + 22, std::uint32_t(format.channels), 2);
    PutLe(h + 24, std::uint32_t(format.sampleRate), 4);
    PutLe(h + 28, std::uint32_t(format.sampleRate) * std::uint32_t(format.BlockAlign()), 4);
    PutLe(h + 32, std::uint32_t(format.BlockAlign()), 2);
    PutLe(h + 34, std::uint32_t(format.bitsPerSample), 2);
    if (extensible) {
        PutLe(h + 36, 22, 2);
        PutLe(h + 38, std::uint32_t(format.bitsPerSample), 2);
        PutLe(h + 40, format.channelMask ? format.channelMask : UsualChannelMask(format.channels), 4);
        // The sub-format GUID: the format tag, then the fixed tail.
        static constexpr std::uint8_t Tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        PutLe(h + 44, tag, 2);
        std::memcpy(h + 46, Tail, sizeof Tail);
    }
    std::memcpy(h + 20 + formatBytes, "data", 4);
    PutLe(h + 24 + formatBytes, dataBytes, 4);
    return header;
}

}  // namespace wavio
