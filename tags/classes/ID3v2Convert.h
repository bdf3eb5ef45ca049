// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Frames of a version 2.2 or 2.4 tag in the form an ID3v2.3 tag holds them.

#include <cstdint>
#include <string>

#include "tags/classes/ID3v2Frames.h"

namespace id3v2 {

// The whole ID3v2.3 frame or frames that carry the frame over; empty when
// it cannot be carried (an unknown 2.2 ID, an encrypted or broken frame).
// Frames of a 2.3 tag come back as they were stored.
std::string ToV23(const Frame& frame, std::uint8_t version);

}  // namespace id3v2
