// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Floats in [-1, 1) to little-endian PCM of 8 (unsigned), 16 or 24 bits,
// rounded to the nearest step, with optional TPDF dither of one step.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ssrc {

class Quantizer {
public:
    Quantizer(int bits, bool dither) : bits_(bits), dither_(dither) {}

    // Replaces out with the encoded samples.
    void Encode(const float* in, std::size_t sampleCount, std::vector<std::uint8_t>& out);

private:
    float NextUniform();  // in [0, 1)

    int bits_;
    bool dither_;
    std::uint32_t random_ = 0x9E3779B9u;
};

}  // namespace ssrc
