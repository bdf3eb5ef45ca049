// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tags of a converted file as the extra copy writes them: one TagLib file
// per output kind, changed in memory and saved once.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <taglib/tpropertymap.h>

#include "tags/ExtraTagValues.h"
#include "tags/TagPictures.h"

namespace extratags {

class OutputTags {
public:
    virtual ~OutputTags() = default;
    virtual NumberStyle Numbering() const = 0;
    virtual TagLib::PropertyMap Values() = 0;
    // Replaces the values; returns those the kind cannot hold.
    virtual TagLib::PropertyMap SetValues(const TagLib::PropertyMap& values) = 0;
    // Replaces the pictures; returns the texts of those the kind cannot hold.
    virtual std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) = 0;
    virtual bool Save() = 0;
};

// True for the output kinds (by extension) that the extra copy writes.
bool HoldsExtraTags(const std::filesystem::path& output);
// Opens file as the kind that output's extension names; null when the file
// is not of that kind or the kind is not one the extra copy writes.
std::unique_ptr<OutputTags> OpenOutputTags(const std::filesystem::path& file, const std::filesystem::path& output);

}  // namespace extratags
