// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Frames of a version 2.2 tag in the form an ID3v2.3 tag holds them: 2.2 is
// read but not written.

#include <string>

#include "tags/classes/ID3v2Frames.h"

namespace id3v2 {

// The whole ID3v2.3 frame that carries a 2.2 frame over; empty when it
// cannot be carried (an unknown ID, a picture too short for its format).
std::string V22ToV23(const Frame& frame);

}  // namespace id3v2
