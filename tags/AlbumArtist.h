// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The album artist is not one of the record's twelve fields; naming reads it
// on its own, through TagLib's property map of whatever the file holds.

#include <filesystem>
#include <string>

// The first "ALBUMARTIST" value in UTF-8; empty when the file has none, is
// of a kind TagLib does not read, or cannot be read at all.
std::string ReadAlbumArtist(const std::filesystem::path& file);
