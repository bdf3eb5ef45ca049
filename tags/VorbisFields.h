// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The record over Vorbis comments (Ogg Vorbis, Opus, Ogg FLAC, FLAC): a
// field reads every comment of its name, and a write replaces only the
// comments of the fields that changed, so every other comment keeps its
// bytes (entries without "=", values that are not UTF-8).

#include <string>
#include <vector>

#include "tags/TagKinds.h"

namespace vorbisfields {

// Fills the fields the comments hold; the track reads "5/12" from
// TRACKNUMBER=5/12 or from TRACKNUMBER=5 with TRACKTOTAL=12.
void ReadFields(const std::vector<std::string>& items, TTAGInfo& info);
// As ReadFields, less an ENCODER comment: encoders put their own name
// there, which says how this file was made and is wrong for any copy.
void ReadStoredFields(const std::vector<std::string>& items, TTAGInfo& info);

// The comments with the changed fields' comments replaced, in their place:
// one comment per value, a track "5/12" as TRACKNUMBER=5 and TRACKTOTAL=12.
std::vector<std::string> EditedItems(const std::vector<std::string>& items, const TTagEdit& edit);

}  // namespace vorbisfields
