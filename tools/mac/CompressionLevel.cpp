// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompressionLevel.h"

namespace mac {

std::optional<CompressionLevel> LevelFromValue(int value)
{
    constexpr std::uint32_t base = 73728;
    switch (value) {
    case 1000: return CompressionLevel {value, base, {}, false};
    case 2000: return CompressionLevel {value, base, {{16, 11}}, false};
    case 3000: return CompressionLevel {value, base, {{64, 11}}, false};
    case 4000: return CompressionLevel {value, base * 4, {{256, 13}, {32, 10}}, false};
    case 5000: return CompressionLevel {value, base * 16, {{1280, 15}, {256, 13}, {16, 11}}, true};
    default: return std::nullopt;
    }
}

}  // namespace mac
