// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything TagLib reads from a file's tags beyond what the unified record
// carries: property values, embedded pictures, and the raw items it can only
// name.

#include <filesystem>
#include <string>
#include <vector>

#include <taglib/tpropertymap.h>

#include "tags/TagPictures.h"

namespace extratags {

struct InputTags {
    TagLib::PropertyMap values;
    std::vector<TagPicture> pictures;  // front covers first
    std::vector<std::string> unreadable;  // items known only by name, such as "PRIV"
};

// Empty when TagLib does not read the file's kind or content.
InputTags ReadInputTags(const std::filesystem::path& file);

}  // namespace extratags
