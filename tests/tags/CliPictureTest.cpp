// SPDX-License-Identifier: GPL-3.0-or-later
// `tremolix-cli tags --picture IMAGE` and `--remove-picture` on several
// files, read back by mutagen.

#include <gtest/gtest.h>

#include "InteropTools.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "tags/EditableExtras.h"

namespace fs = std::filesystem;

namespace {

fs::path Image(const fs::path& file, const char* color)
{
    const std::string source = std::string("color=c=") + color + ":s=32x24";
    EXPECT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", source, "-frames:v", "1", file.string()}), 0);
    return file;
}

int Cli(std::vector<std::string> args)
{
    args.insert(args.begin(), {(testaudio::BuildProgramFolder() / "tremolix-cli").string(), "tags"});
    return testaudio::Run(args);
}

}  // namespace

TEST(CliPicture, SetReplacesTheFrontCoverOfEveryFileAndRemoveTakesAll)
{
    testsupport::TempFolder folder;
    const fs::path png = Image(folder / "cover.png", "red"), jpeg = Image(folder / "other.jpg", "blue");
    std::vector<fs::path> files;
    for (const char* name : {"tone.mp3", "tone.flac", "tone.m4a"}) {
        files.push_back(folder / name);
        fs::copy_file(testaudio::Get(name), files.back());
    }
    const fs::path &mp3 = files[0], &flac = files[1], &m4a = files[2];

    ASSERT_EQ(Cli({mp3.string(), flac.string(), m4a.string(), "--picture", png.string(), "--set", "Title=Covered"}), 0);
    const std::string front = "3 image/png " + interop::Sha1(png) + "\n";
    for (const fs::path& file : files) {
        EXPECT_EQ(interop::MutagenPictures(file), front) << file;
        EXPECT_NE(interop::CliTags(file).find("Title=Covered\n"), std::string::npos) << file;
    }

    // A back cover stays when the front cover is replaced.
    extratags::EditableExtras extras = extratags::ReadEditableExtras(flac);
    const std::string bytes = testaudio::ReadBytes(jpeg);
    extras.pictures.push_back({4, "image/jpeg", "", TagLib::ByteVector(bytes.data(), unsigned(bytes.size()))});
    ASSERT_EQ(extratags::WriteEditableExtras(flac, extras), "");
    ASSERT_EQ(Cli({flac.string(), "--picture=" + jpeg.string()}), 0);
    EXPECT_EQ(interop::MutagenPictures(flac),
              "3 image/jpeg " + interop::Sha1(jpeg) + "\n4 image/jpeg " + interop::Sha1(jpeg) + "\n");

    ASSERT_EQ(Cli({mp3.string(), flac.string(), "--remove-picture"}), 0);
    EXPECT_EQ(interop::MutagenPictures(mp3), "");
    EXPECT_EQ(interop::MutagenPictures(flac), "");
    EXPECT_EQ(interop::MutagenPictures(m4a), front) << "a file not named keeps its cover";

    // Opus keeps pictures in its comments; a raw AAC stream holds none and is
    // reported, while the others are written.
    const fs::path opus = folder / "a.opus";
    const fs::path aac = folder / "a.aac";
    for (const auto& [file, codec] : {std::pair{opus, "libopus"}, std::pair{aac, "aac"}})
        ASSERT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=d=0.2", "-c:a", codec,
                                  file.string()}),
                  0);
    EXPECT_EQ(Cli({opus.string(), "--picture", png.string()}), 0);
    EXPECT_EQ(interop::MutagenPictures(opus), front);
    EXPECT_EQ(Cli({aac.string(), mp3.string(), "--picture", png.string()}), 1);
    EXPECT_EQ(interop::MutagenPictures(mp3), front);
}
