// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// 24-bit samples as they travel in WAV data: three little-endian bytes each.

#include <cstddef>
#include <cstdint>

namespace engine {

// Packs count 32-bit samples into 24 bits, rounding the low byte away and
// saturating; a sample whose low byte is 0 keeps its exact value.
void PackTo24(const std::int32_t* samples, std::size_t count, std::uint8_t* out);

// A signed little-endian sample of width bytes (2 or 3), and back. Inline:
// they run once per sample.
inline std::int32_t LoadSample(const std::uint8_t* at, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= std::uint32_t(at[i]) << (8 * i);
    // Sign-extends from the top byte.
    const int unused = 32 - 8 * width;
    return std::int32_t(value << unused) >> unused;
}

inline void StoreSample(std::uint8_t* at, std::int32_t sample, int width)
{
    for (int i = 0; i < width; ++i)
        at[i] = std::uint8_t(std::uint32_t(sample) >> (8 * i));
}

}  // namespace engine
