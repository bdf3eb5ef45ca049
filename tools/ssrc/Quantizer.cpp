// SPDX-License-Identifier: GPL-3.0-or-later
#include "ssrc/Quantizer.h"

#include <algorithm>
#include <cmath>

namespace ssrc {

float Quantizer::NextUniform()
{
    // xorshift32: cheap, and good enough for dither noise.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return float(random_ >> 8) / float(1u << 24);
}

void Quantizer::Encode(const float* in, std::size_t sampleCount, std::vector<std::uint8_t>& out)
{
    const int bytes = bits_ / 8;
    const double scale = double(1 << (bits_ - 1));
    out.resize(sampleCount * std::size_t(bytes));
    std::uint8_t* to = out.data();
    for (std::size_t i = 0; i < sampleCount; ++i, to += bytes) {
        double value = std::isnan(in[i]) ? 0.0 : double(in[i]) * scale;
        if (dither_)
            value += double(NextUniform()) - double(NextUniform());
        const auto step = std::int32_t(std::clamp(std::nearbyint(value), -scale, scale - 1));
        if (bytes == 1) {
            to[0] = std::uint8_t(step + 128);
            continue;
        }
        for (int b = 0; b < bytes; ++b)
            to[b] = std::uint8_t(std::uint32_t(step) >> (8 * b));
    }
}

}  // namespace ssrc
