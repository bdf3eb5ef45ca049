// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "app/Playlist.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

TEST(Playlist, GoesIntoTheTargetFolderBeforeItsFirstPlaceholder)
{
    testsupport::TempFolder folder;
    const std::string output = (folder / "Band" / "Album" / "song.mp3").string();
    const app::PlaylistOutcome outcome =
        app::CreatePlayList(" " + folder.path().string() + "/%Artist%/%Album% ", {output});
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.file, folder / "untitled.pls");
    EXPECT_EQ(testaudio::ReadBytes(folder / "untitled.pls"),
              "[playlist]\nFile1=" + output + "\nTitle1=song.mp3\nLength1=0\nNumberOfEntries=1\nVersion=2\n");

    const app::PlaylistOutcome nowhere = app::CreatePlayList("%Artist%/", {output});
    EXPECT_EQ(app::PlaylistErrorText(nowhere),
              "The playlist \"untitled.pls\" could not be written: there is no target folder");
    EXPECT_FALSE(fs::exists("untitled.pls"));
}
