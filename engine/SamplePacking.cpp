// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SamplePacking.h"

#include <algorithm>

namespace engine {

void PackTo24(const std::int32_t* samples, std::size_t count, std::uint8_t* out)
{
    constexpr std::int64_t Highest = (1 << 23) - 1;
    for (std::size_t i = 0; i < count; ++i, out += 3) {
        const std::int64_t rounded = (std::int64_t(samples[i]) + 128) >> 8;
        StoreSample(out, std::int32_t(std::min(rounded, Highest)), 3);
    }
}

std::int32_t LoadSample(const std::uint8_t* at, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value |= std::uint32_t(at[i]) << (8 * i);
    // Sign-extends from the top byte.
    const int unused = 32 - 8 * width;
    return std::int32_t(value << unused) >> unused;
}

void StoreSample(std::uint8_t* at, std::int32_t sample, int width)
{
    for (int i = 0; i < width; ++i)
        at[i] = std::uint8_t(std::uint32_t(sample) >> (8 * i));
}

}  // namespace engine
