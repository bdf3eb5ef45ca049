// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// A PLS playlist: three parallel lists, written key by key into the
// section "playlist", so keys of an older, longer playlist stay in the file.
class TPlaylist {
public:
    void Add(const std::string& path, const std::string& title);
    // Always reports success; a file that cannot be written is left as it was.
    bool SaveToFile(const std::filesystem::path& path) const;

    std::vector<std::string> Files;
    std::vector<std::string> Titles;
    std::vector<std::string> Lengths;
};

// "untitled.pls" in the target folder, listing the converted files.
void CreatePlayList(const std::string& targetFolder, const std::vector<std::string>& convertedFiles);

}  // namespace app
