// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "presets/Mp3Settings.h"

// The text that replaces $OPTIONS in the MP3 command template; every switch
// is preceded by one space.
std::string BuildLameOptions(const TMP3Settings& settings);
