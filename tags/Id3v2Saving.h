// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the output kinds with a TagLib ID3v2 tag (MP3, and the "id3 " chunk
// of WAV) share when the copy saves them: pictures as APIC frames, and the
// version the tag is saved in.

#include <vector>

#include <taglib/id3v2tag.h>

#include "tags/TagPictures.h"

namespace extratags {

// Replaces the tag's APIC frames by the pictures, in their order.
void ReplaceId3v2Pictures(TagLib::ID3v2::Tag& tag, const std::vector<TagPicture>& pictures);

// A 2.4 tag stays 2.4; any other becomes 2.3 unless only 2.4 holds its
// values whole. stored is false for a tag that is not yet in the file.
TagLib::ID3v2::Version Id3v2SaveVersion(TagLib::ID3v2::Tag& tag, bool stored);

}  // namespace extratags
