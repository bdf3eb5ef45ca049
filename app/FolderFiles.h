// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files of a folder in the order a person reads an album: natural name
// order, so "track 2" comes before "track 10".

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// Runs of digits compare by their value, other characters without regard
// to ASCII letter case; names equal that way fall back to their bytes, so
// the order is strict and total.
bool NaturalLess(const std::string& a, const std::string& b);

struct UnreadableFolder {
    std::filesystem::path folder;
    std::string reason;
};

struct FolderListing {
    std::vector<std::filesystem::path> files;
    std::vector<UnreadableFolder> unreadable;  // in the order they were met
};

// The files directly in the folder, and with recursive those of its
// subfolders too (depth first, each folder's entries in natural order).
// Folders reached through a link are not entered, so a link loop ends.
// Folders that cannot be read are listed with the reason; a folder that
// does not exist gives nothing.
FolderListing ListFolderFiles(const std::filesystem::path& folder, bool recursive);

// "Folders that could not be read:" and a line per folder with its reason.
std::string UnreadableFoldersText(const std::vector<UnreadableFolder>& folders);

// A plain file that one of the decoders opens. Pipes and devices are never
// offered to a decoder: they could block for good.
bool IsDecodable(const std::filesystem::path& path);

struct FolderAudio {
    std::vector<std::filesystem::path> files;
    int skipped = 0;  // files no decoder reads
    std::vector<UnreadableFolder> unreadable;
};

// Every decodable file below the folder, in the order of ListFolderFiles.
FolderAudio ListFolderAudio(const std::filesystem::path& folder);

}  // namespace app
