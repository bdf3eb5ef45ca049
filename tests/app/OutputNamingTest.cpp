// SPDX-License-Identifier: GPL-3.0-or-later
// Output paths: subfolders from the prefix, tag values that must not leave
// the target folder, portable names, the home folder and the new
// placeholders. Tags are written by metaflac and id3v2, not by our writers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/OutputNaming.h"
#include "app/TagSteps.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "tags/classes/TagError.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint8_t FormatMp3 = 0;
constexpr std::uint8_t FormatFlac = 3;

class OutputNamingTest : public ::testing::Test {
protected:
    // A FLAC file named song.flac whose comments metaflac sets.
    fs::path TaggedFlac(const std::vector<std::string>& comments, const std::string& name = "song.flac")
    {
        const fs::path file = folder / name;
        fs::copy_file(testaudio::Get("tone.flac"), file, fs::copy_options::overwrite_existing);
        std::vector<std::string> argv = {"metaflac", "--remove-all-tags"};
        for (const std::string& comment : comments)
            argv.push_back("--set-tag=" + comment);
        argv.push_back(file.string());
        EXPECT_EQ(testaudio::Run(argv), 0);
        return file;
    }

    std::string Target() const { return (folder / "out").string(); }

    std::string Name(const fs::path& input, const std::string& prefix, bool portable = false)
    {
        app::NamingChoice choice;
        choice.targetFolder = Target();
        choice.customName = true;
        choice.prefix = prefix;
        choice.portableNames = portable;
        choice.format = FormatMp3;
        return app::MakeOutputPath(input, choice);
    }

    testsupport::TempFolder folder;
};

TEST_F(OutputNamingTest, ASlashInThePrefixMakesSubfoldersOfTheTarget)
{
    const fs::path input = TaggedFlac({"ARTIST=Band", "ALBUM=Record", "TRACKNUMBER=05", "TITLE=Intro"});
    EXPECT_EQ(Name(input, "%Artist%/%Album%/%TrackNum% "), Target() + "/Band/Record/05 song.mp3");
    EXPECT_EQ(Name(input, "%Year%/%Genre%/x"), Target() + "/x" + "song.mp3")
        << "empty values leave no empty folder level";
    EXPECT_EQ(Name(input, "a/./b/../%Artist%-"), Target() + "/a/Band-song.mp3") << "typed dots are the user's";

    app::NamingChoice original;
    original.targetFolder = Target() + "/";
    original.format = FormatFlac;
    EXPECT_EQ(app::MakeOutputPath(folder / "in/plain", original), Target() + "/plain.flac")
        << "no extension, no tags, one separator";
}

TEST_F(OutputNamingTest, TagValuesNeverAddFoldersNorClimbOutOfTheTarget)
{
    struct Case {
        const char* artist;
        const char* album;
        const char* expected;  // below the target folder
    };
    const Case cases[] = {
        {"AC/DC", "Back/In", "/AC_DC/Back_In/song.mp3"},
        {"..", ".", "/_/_/song.mp3"},
        {"/etc", "../..", "/_etc/.._../song.mp3"},
        {"...", "..x", "/.../..x/song.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.artist);
        const fs::path input = TaggedFlac({std::string("ARTIST=") + c.artist, std::string("ALBUM=") + c.album});
        EXPECT_EQ(Name(input, "%Artist%/%Album%/"), Target() + c.expected);
    }
    const fs::path dots = TaggedFlac({"ALBUM=.."});
    EXPECT_EQ(Name(dots, "%Album%%Year%/"), Target() + "/_/song.mp3") << "a value with an empty one beside it";
}

TEST_F(OutputNamingTest, APathOutsideTheTargetFolderIsRefusedWithAnEmptyPath)
{
    const fs::path input = TaggedFlac({"ARTIST=Band"});
    EXPECT_EQ(Name(input, "../"), "");
    EXPECT_EQ(Name(input, "x/../../%Artist%"), "");
    EXPECT_EQ(Name(input, "/../../"), "") << "typed dots may not climb out either";
    EXPECT_EQ(Name(input, "x/../"), Target() + "/song.mp3");
}

TEST_F(OutputNamingTest, PortableNamesReplaceWhatFatAndNtfsRefuseInValuesOnly)
{
    const fs::path input = TaggedFlac({"GENRE=What? \"Yes\": <a|b> \\*"});
    EXPECT_EQ(Name(input, "%Genre% - ", true), Target() + "/What_ _Yes__ _a_b_ __ - song.mp3");
    EXPECT_EQ(Name(input, "%Genre% - ", false), Target() + "/What? \"Yes\": <a|b> \\* - song.mp3");
    EXPECT_EQ(Name(input, "a:b %Genre%", true).substr(Target().size()), "/a:b What_ _Yes__ _a_b_ __song.mp3")
        << "typed characters are the user's";
}

TEST_F(OutputNamingTest, TheTargetFolderTextMayUseTheHomeFolderAndPlaceholders)
{
    const fs::path input = TaggedFlac({"ALBUM=Record", "ARTIST=.."});
    const char* const savedHome = std::getenv("HOME");
    const std::string oldHome = savedHome ? savedHome : "";
    ::setenv("HOME", folder.path().c_str(), 1);
    app::NamingChoice choice;
    choice.format = FormatMp3;
    choice.targetFolder = " ~/Music ";
    EXPECT_EQ(app::MakeOutputPath(input, choice), (folder / "Music/song.mp3").string());
    choice.targetFolder = "~";
    EXPECT_EQ(app::MakeOutputPath(input, choice), (folder / "song.mp3").string());
    choice.targetFolder = "/data/~/x";
    EXPECT_EQ(app::MakeOutputPath(input, choice), "/data/~/x/song.mp3");
    ::setenv("HOME", oldHome.c_str(), 1);

    choice.targetFolder = Target() + "/%Album%";
    EXPECT_EQ(app::MakeOutputPath(input, choice), Target() + "/Record/song.mp3");
    choice.targetFolder = Target() + "/%Artist%";
    EXPECT_EQ(app::MakeOutputPath(input, choice), Target() + "/_/song.mp3");
}

TEST_F(OutputNamingTest, TitleAndAlbumArtistComeFromFlacAndMp3Tags)
{
    const fs::path flac = TaggedFlac({"TITLE=Opening é", "ALBUMARTIST=Various Artists", "ARTIST=Someone"});
    EXPECT_EQ(Name(flac, "%AlbumArtist% - %Title%"), Target() + "/Various Artists - Opening é.mp3");

    const fs::path mp3 = folder / "song.mp3";
    fs::copy_file(testaudio::Get("tone.mp3"), mp3);
    ASSERT_EQ(testaudio::Run({"id3v2", "--TIT2", "Overture", "--TPE2", "Orchestra", mp3.string()}), 0);
    EXPECT_EQ(Name(mp3, "%AlbumArtist%/%Title%_"), Target() + "/Orchestra/Overture_.mp3");

    const fs::path ogg = folder / "song.ogg";
    fs::copy_file(testaudio::Get("tone.ogg"), ogg);
    ASSERT_EQ(testaudio::Run({"vorbiscomment", "-w", "-t", "ALBUMARTIST=Choir", "-t", "TITLE=Hymn", ogg.string()}), 0);
    EXPECT_EQ(Name(ogg, "%AlbumArtist% %Title% "), Target() + "/Choir Hymn.mp3");

    const fs::path bare = TaggedFlac({}, "bare.flac");
    EXPECT_EQ(Name(bare, "%AlbumArtist%%Title%"), Target() + "/bare.mp3");
    EXPECT_EQ(Name(bare, "%albumartist%"), Target() + "/%albumartist%bare.mp3") << "placeholders match case";
}

TEST_F(OutputNamingTest, ATitleOrNameMakesTheTextTheWholeNameOtherwiseItStaysAPrefix)
{
    const fs::path input = TaggedFlac(
        {"ARTIST=Band", "ALBUM=Record", "TITLE=Intro", "TRACKNUMBER=5/12", "DISCNUMBER=2/3"});
    EXPECT_EQ(Name(input, "%Track% - %Title%"), Target() + "/05 - Intro.mp3");
    EXPECT_EQ(Name(input, "%Artist%/%Album%/%Disc%-%Track% %Name%"), Target() + "/Band/Record/2-05 song.mp3");
    EXPECT_EQ(Name(input, "%Track%. "), Target() + "/05. song.mp3") << "no title, no name: a prefix as before";
    EXPECT_EQ(Name(input, "%title% "), Target() + "/%title% song.mp3") << "placeholders match case";
    EXPECT_EQ(Name(input, "%Artist%/"), Target() + "/Band/song.mp3");

    struct Case {
        const char* track;
        const char* expected;
    };
    for (const Case& c : {Case{"7", "07"}, Case{"12/20", "12"}, Case{"007", "07"}, Case{"A1", "A1"}, Case{"", ""}}) {
        SCOPED_TRACE(c.track);
        const fs::path numbered = TaggedFlac({std::string("TRACKNUMBER=") + c.track, "TITLE=T"});
        EXPECT_EQ(Name(numbered, "%Track%|%Title%"), Target() + "/" + c.expected + "|T.mp3");
    }
}

TEST_F(OutputNamingTest, UntaggedInputsGetUnknownFoldersTheirOwnNameAndNoBlanksAtTheEnds)
{
    const fs::path bare = TaggedFlac({}, "defeat.flac");
    EXPECT_EQ(Name(bare, "%Artist%/%Album%/%Track% %Title%"), Target() + "/Unknown Artist/Unknown Album/defeat.mp3");
    EXPECT_EQ(Name(bare, "%AlbumArtist%/%Artist% "), Target() + "/Unknown Artist/defeat.mp3")
        << "a prefix whose values are empty leaves no leading blank";
    EXPECT_EQ(Name(bare, "%Artist% - %Title%"), Target() + "/- defeat.mp3") << "no unknown artist in the name itself";
    EXPECT_EQ(Name(bare, "%Year% %Genre%/%Name%"), Target() + "/defeat.mp3") << "other empty folders vanish";

    const fs::path blanks = TaggedFlac({"ARTIST= Band ", "ALBUM=  ", "TITLE= Song "});
    EXPECT_EQ(Name(blanks, "%Artist%/%Album%/ %Title% "), Target() + "/Band/Unknown Album/Song.mp3");
    EXPECT_EQ(Name(blanks, " x /%Title%"), Target() + "/ x /Song.mp3") << "typed folders are the user's";
}

TEST(TagPlaceholders, AValueHoldingALaterPlaceholderIsReplacedInTurnAndEarlierOnesStay)
{
    testsupport::TempFolder folder;
    const fs::path input = folder / "t.flac";
    fs::copy_file(testaudio::Get("tone.flac"), input);
    ASSERT_EQ(testaudio::Run({"metaflac", "--set-tag=ALBUM=%Title%", "--set-tag=TITLE=%Album%", "--set-tag=GENRE=Rock",
                              input.string()}),
              0);
    EXPECT_EQ(app::ApplyTagPlaceholders("/o/%Album%/%Genre%.mp3", input), "/o/%Album%/Rock.mp3");
    std::ofstream(folder / "notes.txt") << "%Genre%";
    EXPECT_EQ(app::ApplyTagPlaceholders("/o/%Genre%%AlbumArtist%", folder / "notes.txt"), "/o/")
        << "a kind the tag layer does not read gives empty values";
    EXPECT_THROW(app::ApplyTagPlaceholders("/o/x", folder / "missing.flac"), TagError)
        << "the run reports what the tag layer cannot open";
}

}  // namespace
