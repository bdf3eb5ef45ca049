// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tag editor edits beyond the unified record: the album artist,
// the disc number with its total, and the embedded pictures. Read and
// written through the same per-kind TagLib files as the extra tag copy.

#include <filesystem>
#include <string>
#include <vector>

#include "tags/TagPictures.h"

namespace extratags {

struct EditableExtras {
    std::string albumArtist;
    std::string disc;
    std::string discTotal;
    std::vector<TagPicture> pictures;  // front covers first

    bool operator==(const EditableExtras& other) const;
};

bool SamePicture(const TagPicture& a, const TagPicture& b);

// Makes the picture the only front cover, first; other types stay.
void SetFrontCover(EditableExtras& extras, TagPicture picture);

// Whether the file's kind (by extension) stores these.
bool HoldsEditableExtras(const std::filesystem::path& file);

// Empty values and no pictures when the file holds none or cannot be read.
EditableExtras ReadEditableExtras(const std::filesystem::path& file);

// Writes what differs from the file's current values and pictures in one
// atomic rewrite; nothing when nothing differs. Empty on success, else why
// not, naming the file.
[[nodiscard]] std::string WriteEditableExtras(const std::filesystem::path& file, const EditableExtras& extras);

}  // namespace extratags
