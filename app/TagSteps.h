// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// The input's file name less its extension: what "%Name%" stands for.
std::string InputStem(const std::filesystem::path& input);

// Replaces "%TrackNum%", "%Album%", "%Artist%", "%Year%", "%Genre%",
// "%Title%", "%AlbumArtist%", "%Track%" (the track number as two digits at
// least), "%Disc%" and "%Name%" (the input's name less its extension), in
// that order, in the whole path by the input's values; the last component
// is the file name, the others are folders. An empty title gives the
// input's name; an empty artist, album artist or album in a folder gives
// "Unknown Artist" or "Unknown Album". A component that held a placeholder
// loses the blanks at its ends. Values never change the path's folders:
// "/" and NUL in a value become "_", and a component that a value turned
// into "." or ".." becomes "_". With portableNames, the characters that FAT
// and NTFS refuse (\ : * ? " < > |) become "_" in values as well.
// Throws TagError when the tag layer does.
std::string ApplyTagPlaceholders(const std::string& path, const std::filesystem::path& input,
                                 bool portableNames = false);

// Copies the input's tags into the output, as far as the output's kind holds
// them: the record's twelve fields, then every other value and the pictures.
// Returns what the output could not take ("LYRICS", "picture (Back cover)");
// throws TagError when the record's fields could not be written.
std::vector<std::string> CopyTags(const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace app
