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

std::array<std::uint8_t, WavHeaderSize> MakeWavHeader(const WavFormat& format, std::uint32_t dataBytes)
{
    std::array<std::uint8_t, WavHeaderSize> header {};
    std::uint8_t* h = header.data();
    const std::uint32_t padded = dataBytes + (dataBytes & 1);
    std::memcpy(h, "RIFF", 4);
    PutLe(h + 4, 36 + padded, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe(h + 16, 16, 4);
    PutLe(h + 20, format.kind == SampleKind::Float ? 3 : 1, 2);
    PutLe(h + 22, std::uint32_t(format.channels), 2);
    PutLe(h + 24, std::uint32_t(format.sampleRate), 4);
    PutLe(h + 28, std::uint32_t(format.sampleRate) * std::uint32_t(format.BlockAlign()), 4);
    PutLe(h + 32, std::uint32_t(format.BlockAlign()), 2);
    PutLe(h + 34, std::uint32_t(format.bitsPerSample), 2);
    std::memcpy(h + 36, "data", 4);
    PutLe(h + 40, dataBytes, 4);
    return header;
}

}  // namespace wavio
