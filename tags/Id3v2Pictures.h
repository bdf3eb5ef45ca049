// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures as APIC frames of a TagLib ID3v2 tag, for every output kind that
// carries one (MP3, and the "id3 " chunk of WAV).

#include <vector>

#include <taglib/id3v2tag.h>

#include "tags/TagPictures.h"

namespace extratags {

// Replaces the tag's APIC frames by the pictures, in their order.
void ReplaceId3v2Pictures(TagLib::ID3v2::Tag& tag, const std::vector<TagPicture>& pictures);

}  // namespace extratags
