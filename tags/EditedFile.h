// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One file as the tag editor holds it between reading and saving: the
// record and the extras, changed in memory until saved.

#include <filesystem>
#include <string>

#include "tags/EditableExtras.h"
#include "tags/TagInfo.h"

struct TEditedFile {
    std::filesystem::path path;
    TTAGInfo record;
    extratags::EditableExtras extras;
};

// Throws what ReadTagInfo lets through.
TEditedFile ReadEditedFile(const std::filesystem::path& path);

// Writes only what differs from the file: the record's changed fields, then
// the extras when they changed, each step atomic. Empty on success, else
// why not, naming the file.
[[nodiscard]] std::string WriteEditedFile(const TEditedFile& file);
