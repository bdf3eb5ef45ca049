// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Level arithmetic on interleaved signed 16-bit little-endian PCM, the form
// the audio library delivers. The buffers need no particular alignment.

#include <cstddef>
#include <cstdint>

namespace engine {

constexpr double FullScale = 32768.0;

// The highest absolute sample of bytes / 2 samples (an odd last byte is
// ignored), as a fraction of full scale: 0 for silence, 1 for -32768.
double PeakOf(const void* pcm, std::size_t bytes);

// Multiplies every sample by gain, rounding to the nearest step and
// saturating at the 16-bit limits.
void ApplyGain(void* pcm, std::size_t bytes, double gain);

}  // namespace engine
