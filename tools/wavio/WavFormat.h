// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sample layout of a WAV file and its header: the canonical 44 bytes,
// or the extensible form (68 bytes) for more than 16 bits or two channels.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wavio {

enum class SampleKind { Integer, Float };

struct WavFormat {
    SampleKind kind = SampleKind::Integer;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;  // 8 (unsigned), 16, 24, 32; 32 or 64 for Float
    std::uint32_t channelMask = 0;  // speaker positions, one bit each; 0: the usual order

    int BytesPerSample() const { return bitsPerSample / 8; }
    int BlockAlign() const { return channels * BytesPerSample(); }
};

constexpr std::size_t ExtensibleWavHeaderSize = 68;
// The largest data chunk a RIFF header can declare (its size field is 32 bits).
constexpr std::uint64_t MaxWavDataBytes = 0xFFFFFFFFull - (ExtensibleWavHeaderSize - 8) - 1;

// Whether the reader and writer can handle the layout.
bool IsSupported(const WavFormat& format);

// The extensible form carries channelMask, or the usual speakers for the
// channel count when it is 0.
std::vector<std::uint8_t> MakeWavHeader(const WavFormat& format, std::uint32_t dataBytes);

}  // namespace wavio
