// SPDX-License-Identifier: GPL-3.0-or-later
// An installed program upgraded under a user who has used it: the new
// archive, help and shipped presets reach the user, while the user's own
// presets, edits and settings stay.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "platform/ProgramFolder.h"
#include "platform/ShippedPresets.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;  // path under the folder -> content

void Write(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

Files Read(const fs::path& folder)
{
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().lexically_relative(folder).generic_string()] = {std::istreambuf_iterator<char>(in), {}};
        }
    return files;
}

class ShippedPresets : public ::testing::Test {
protected:
    // An installed data folder holding these presets, a help and an archive.
    void Install(const Files& presets, const std::string& version)
    {
        fs::remove_all(installed);
        for (const auto& [name, content] : presets)
            Write(installed / "Preset" / name, content);
        Write(installed / "help.html", "help " + version);
        Write(installed / "EncodeDLL.dll", "archive " + version);
    }

    void Sync() { platform::SyncShippedPresets(installed, user); }
    Files UserPresets() const { return Read(user / "Preset"); }

    testsupport::TempFolder root;
    const fs::path installed = root / "share" / "tremolix";
    const fs::path user = root / "data" / "tremolix";

    const Files v1 = {{"MP3/CBR 128 kbps.ini", "128 v1"},
                      {"MP3/CBR 192 kbps.ini", "192 v1"},
                      {"MP3/Old.ini", "old v1"},
                      {"MP3/Withdrawn edited.ini", "gone v1"},
                      {"FLAC/presets.ini", "flac v1"},
                      {"WAV/presets.ini", "wav v1"}};
    const Files v2 = {{"MP3/CBR 128 kbps.ini", "128 v2"},
                      {"MP3/CBR 192 kbps.ini", "192 v2"},
                      {"FLAC/presets.ini", "flac v2"},
                      {"WAV/presets.ini", "wav v1"},
                      {"MP3/New.ini", "new v2"}};
};

}  // namespace

TEST_F(ShippedPresets, AnUpgradeReplacesWhatTheUserLeftAndKeepsWhatTheUserMadeOrChanged)
{
    Install(v1, "1");
    Sync();
    EXPECT_EQ(UserPresets(), v1);

    Write(user / "Options.ini", "[Main]\nFormat=3\n");
    Write(user / "Preset/MP3/My own.ini", "mine");
    Write(user / "Preset/MP3/CBR 192 kbps.ini", "192 as the user likes it");
    Write(user / "Preset/MP3/Withdrawn edited.ini", "gone, but edited");
    fs::remove(user / "Preset/FLAC/presets.ini");
    Sync();  // the same version again changes nothing
    EXPECT_EQ(UserPresets().at("MP3/CBR 192 kbps.ini"), "192 as the user likes it");

    Install(v2, "2");
    Sync();
    const Files expected = {{"MP3/CBR 128 kbps.ini", "128 v2"},
                            {"MP3/CBR 192 kbps.ini", "192 as the user likes it"},
                            {"MP3/Withdrawn edited.ini", "gone, but edited"},
                            {"MP3/My own.ini", "mine"},
                            {"WAV/presets.ini", "wav v1"},
                            {"MP3/New.ini", "new v2"}};
    EXPECT_EQ(UserPresets(), expected) << "the deleted FLAC presets stay deleted, the withdrawn one goes";
    EXPECT_EQ(Read(user).at("Options.ini"), "[Main]\nFormat=3\n");

    // An edit undone to the content last synced counts as unedited again.
    Install(v1, "1");
    Sync();
    Write(user / "Preset/MP3/CBR 192 kbps.ini", "192 v1");
    Install(v2, "2");
    Sync();
    EXPECT_EQ(UserPresets().at("MP3/CBR 192 kbps.ini"), "192 v2");
}

TEST_F(ShippedPresets, AFolderFilledByAnEarlierVersionKeepsFilesThatDifferAndGetsTheRest)
{
    // Earlier versions copied everything once and kept no record.
    Write(user / "Preset/MP3/CBR 128 kbps.ini", "128 v2");
    Write(user / "Preset/MP3/CBR 192 kbps.ini", "192 of unknown origin");
    Install(v2, "2");
    Sync();
    Files expected = v2;
    expected["MP3/CBR 192 kbps.ini"] = "192 of unknown origin";
    EXPECT_EQ(UserPresets(), expected);

    // Without a Preset folder everything shipped comes back.
    fs::remove_all(user / "Preset");
    Sync();
    EXPECT_EQ(UserPresets(), v2);
}

TEST_F(ShippedPresets, AnInstalledProgramReadsArchiveAndHelpFromItsInstalledData)
{
    const testsupport::ScopedEnv home("TREMOLIX_HOME", nullptr);
    const testsupport::ScopedEnv data("XDG_DATA_HOME", (root / "data").c_str());
    const testsupport::ScopedEnv install("TREMOLIX_INSTALLED_DATA_DIR", installed.c_str());
    ASSERT_FALSE(fs::exists(platform::ExecutableFolder() / "Preset")) << "the test program runs as installed";
    Install(v1, "1");
    // Left by an earlier version, which copied them once.
    Write(user / "EncodeDLL.dll", "archive 0");
    Write(user / "help.html", "help 0");
    Write(user / "Options.ini", "[Main]\n");

    const fs::path folder = platform::ProgramFolder();
    EXPECT_EQ(folder, user);
    EXPECT_EQ(UserPresets(), v1);
    EXPECT_EQ(platform::ShippedFolder(folder), installed);
    Files expected = {{"Options.ini", "[Main]\n"}};
    for (const auto& [name, content] : v1)
        expected["Preset/" + name] = content;
    Files left = Read(user);
    EXPECT_EQ(left.erase(".shipped"), 1u);
    EXPECT_EQ(left, expected) << "the old archive and help are gone";
    EXPECT_EQ(platform::ShippedFolder(root / "elsewhere"), root / "elsewhere");
}
