// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The conversion of one WAV file: read, mix channels, resample, requantize
// and write, block by block.

#include "ssrc/WavSettings.h"

#include <string>

namespace ssrc {

bool ConvertWav(const WavSettings& settings, std::string& error);

}  // namespace ssrc
