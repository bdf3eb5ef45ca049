// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Playlist.h"

#include "app/OutputNaming.h"
#include "platform/SafeRewrite.h"

namespace app {
namespace {

bool HoldsLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

bool TPlaylist::Add(const std::string& path, const std::string& title)
{
    if (HoldsLineBreak(path) || HoldsLineBreak(title))
        return false;
    Files.push_back(path);
    Titles.push_back(title);
    Lengths.push_back("0");
    return true;
}

std::string TPlaylist::Text() const
{
    std::string text = "[playlist]\n";
    for (std::size_t i = 0; i < Files.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        text += "File" + n + "=" + Files[i] + "\n";
        text += "Title" + n + "=" + Titles[i] + "\n";
        text += "Length" + n + "=" + Lengths[i] + "\n";
    }
    text += "NumberOfEntries=" + std::to_string(Files.size()) + "\nVersion=2\n";
    return text;
}

bool TPlaylist::SaveToFile(const std::filesystem::path& path, std::string& error) const
{
    const std::string text = Text();
    if (platform::ReplaceFile(path, [&](platform::RewriteOutput& output) { return output.Write(text); }, {}))
        return true;
    error = platform::LastRewriteError();
    return false;
}

PlaylistOutcome CreatePlayList(const std::string& targetFolder, const std::vector<std::string>& convertedFiles)
{
    PlaylistOutcome outcome;
    const std::string folder = TargetRoot(targetFolder);
    outcome.file = folder + PlaylistName;
    if (folder.empty()) {
        outcome.error = "there is no target folder";
        return outcome;
    }
    TPlaylist playlist;
    for (const auto& path : convertedFiles) {
        // Full paths: the playlist's own folder may differ from the one the
        // outputs were named relative to. Outputs are lexically normal, so a
        // ".." can only climb from the working folder, which holds no links:
        // the normal path names the same file.
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec).lexically_normal();
        const std::filesystem::path listed = ec ? std::filesystem::path(path) : full;
        if (!playlist.Add(listed.string(), listed.filename().string()))
            outcome.leftOut.push_back(path);
    }
    playlist.SaveToFile(outcome.file, outcome.error);
    return outcome;
}

std::string PlaylistErrorText(const PlaylistOutcome& outcome)
{
    return "The playlist \"" + outcome.file.string() + "\" could not be written: " + outcome.error;
}

}  // namespace app
