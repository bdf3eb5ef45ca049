// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SamplePacking.h"

#include <algorithm>

namespace engine {

void PackTo24(const std::int32_t* samples, std::size_t count, std::uint8_t* out)
{
    // The highest sample that rounds to no more than the 24-bit top.
    constexpr std::int32_t Highest = 0x7FFFFF7F;
    for (std::size_t i = 0; i < count; ++i, out += 3) {
        const std::int32_t rounded = (std::min(samples[i], Highest) + 128) >> 8;
        out[0] = std::uint8_t(rounded);
        out[1] = std::uint8_t(rounded >> 8);
        out[2] = std::uint8_t(rounded >> 16);
    }
}

}  // namespace engine
