// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The album artist and the disc number are not among the record's twelve
// fields; naming reads them on their own, through TagLib's property map of
// whatever the file holds.

#include <filesystem>
#include <string>

// The first "ALBUMARTIST" value in UTF-8; empty when the file has none, is
// of a kind TagLib does not read, or cannot be read at all.
std::string ReadAlbumArtist(const std::filesystem::path& file);

// The first value of the property key ("DISCNUMBER") alike.
std::string ReadFirstProperty(const std::filesystem::path& file, const char* key);
