// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Level arithmetic on interleaved signed little-endian PCM, the form the
// audio library delivers: 16-bit samples unless width says 3 bytes (24-bit).
// The buffers need no particular alignment.

#include <cstddef>
#include <cstdint>

namespace engine {

// The highest absolute sample of the whole samples in bytes (a partial
// last one is ignored), as a fraction of full scale: 0 for silence, 1 for
// the most negative sample.
double PeakOf(const void* pcm, std::size_t bytes, int width = 2);

// Multiplies every sample by gain, rounding to the nearest step and
// saturating at the sample limits.
void ApplyGain(void* pcm, std::size_t bytes, double gain, int width = 2);

}  // namespace engine
