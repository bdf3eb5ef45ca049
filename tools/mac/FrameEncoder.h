// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "CompressionLevel.h"

namespace mac {

// Called now and then with the number of blocks compressed so far.
using BlockProgress = std::function<void(std::size_t)>;

// Compresses one frame of `blocks` blocks (interleaved samples, one per
// channel) into its stored form: a whole number of 32-bit words that
// decodes independently of every other frame.
std::vector<std::uint8_t> EncodeFrame(const CompressionLevel& level, int channels, const std::int16_t* samples,
                                      std::size_t blocks, const BlockProgress& progress);

}  // namespace mac
