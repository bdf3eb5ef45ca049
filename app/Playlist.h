// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// A PLS playlist: three parallel lists, always written as a whole file.
class TPlaylist {
public:
    // False, and nothing added, when the path or title holds a line break:
    // a PLS line has no way to carry one. Other bytes go in as they are.
    bool Add(const std::string& path, const std::string& title);
    std::string Text() const;
    // Replaces the file in one step, never writing through a link; false
    // with the reason in error.
    bool SaveToFile(const std::filesystem::path& path, std::string& error) const;

    std::vector<std::string> Files;
    std::vector<std::string> Titles;
    std::vector<std::string> Lengths;
};

constexpr const char* PlaylistName = "untitled.pls";
constexpr const char* LeftOutOfPlaylistText = "left out of the playlist: its name holds a line break";

struct PlaylistOutcome {
    std::filesystem::path file;
    std::vector<std::string> leftOut;  // converted files the playlist cannot list
    std::string error;                 // why the file was not written; empty when it was
};

// "untitled.pls" in the target folder (the part before any tag
// placeholder), listing the converted files by their full paths.
PlaylistOutcome CreatePlayList(const std::string& targetFolder, const std::vector<std::string>& convertedFiles);

// "The playlist "..." could not be written: why".
std::string PlaylistErrorText(const PlaylistOutcome& outcome);

}  // namespace app
