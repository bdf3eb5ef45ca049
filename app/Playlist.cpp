// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Playlist.h"

#include "app/OutputNaming.h"
#include "platform/IniFile.h"

namespace app {

void TPlaylist::Add(const std::string& path, const std::string& title)
{
    Files.push_back(path);
    Titles.push_back(title);
    Lengths.push_back("0");
}

bool TPlaylist::SaveToFile(const std::filesystem::path& path) const
{
    platform::IniFile file(path);
    for (std::size_t i = 0; i < Files.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        file.WriteString("playlist", "File" + n, Files[i]);
        file.WriteString("playlist", "Title" + n, Titles[i]);
        file.WriteString("playlist", "Length" + n, Lengths[i]);
    }
    file.WriteInteger("playlist", "NumberOfEntries", std::int32_t(Files.size()));
    file.Save();
    return true;
}

void CreatePlayList(const std::string& targetFolder, const std::vector<std::string>& convertedFiles)
{
    TPlaylist playlist;
    for (const auto& path : convertedFiles)
        playlist.Add(path, std::filesystem::path(path).filename().string());
    playlist.SaveToFile(AddBackslash(targetFolder) + "untitled.pls");
}

}  // namespace app
