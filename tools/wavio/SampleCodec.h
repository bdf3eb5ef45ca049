// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Raw little-endian WAV samples to floats in [-1, 1).

#include "wavio/WavFormat.h"

#include <cstddef>
#include <cstdint>

namespace wavio {

// Converts sampleCount samples (frames times channels) of the format.
void DecodeSamples(const std::uint8_t* raw, std::size_t sampleCount, const WavFormat& format, float* out);

}  // namespace wavio
