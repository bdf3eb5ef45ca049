// SPDX-License-Identifier: GPL-3.0-or-later
// The convert verb's arguments: new options, folders, and a usage error
// for every mistake that names what was wrong.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/CliRunner.h"
#include "cli/ConvertArguments.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> WithChoices(std::vector<std::string> rest)
{
    std::vector<std::string> args = {"--format", "MP3", "--preset", "CBR 128 kbps", "--target", "/tmp/out"};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
}

// The parse's error text; empty when it succeeded.
std::string Problem(const std::vector<std::string>& args, cli::ConvertArguments* parsed = nullptr)
{
    cli::ConvertArguments arguments;
    std::string usage;
    const bool ok = cli::ParseConvertArguments(args, arguments, usage);
    EXPECT_EQ(ok, usage.empty()) << usage;
    if (parsed)
        *parsed = arguments;
    return usage;
}

TEST(ConvertArguments, JobsNormalizeAndVerboseReachTheirFields)
{
    cli::ConvertArguments parsed;
    EXPECT_EQ(Problem(WithChoices({"a.flac"}), &parsed), "");
    EXPECT_EQ(parsed.jobs, 0);
    EXPECT_EQ(parsed.normalizePercent, 0);
    EXPECT_FALSE(parsed.verbose);

    EXPECT_EQ(Problem(WithChoices({"--jobs", "16", "--normalize", "95", "--verbose", "a.flac"}), &parsed), "");
    EXPECT_EQ(parsed.jobs, 16);
    EXPECT_EQ(parsed.normalizePercent, 95);
    EXPECT_TRUE(parsed.verbose);
    EXPECT_EQ(Problem(WithChoices({"--jobs", "1", "--normalize", "100", "a.flac"}), &parsed), "");
    EXPECT_EQ(parsed.jobs, 1);
    EXPECT_EQ(parsed.normalizePercent, 100);
}

TEST(ConvertArguments, EveryMistakeNamesItsCause)
{
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {WithChoices({"--jobs", "17", "a"}), "--jobs takes a count of jobs from 1 to 16, or 0 for one per core, not \"17\""},
        {WithChoices({"--jobs", "-1", "a"}), "not \"-1\""},
        {WithChoices({"--jobs", "2x", "a"}), "not \"2x\""},
        {WithChoices({"--jobs", "", "a"}), "not \"\""},
        {WithChoices({"--jobs", "99999999999", "a"}), "not \"99999999999\""},
        {WithChoices({"--normalize", "101", "a"}), "--normalize takes a peak from 1 to 100 %, or 0 for no change, not \"101\""},
        {WithChoices({"--when-exists", "sometimes", "a"}), "--when-exists takes ignore or overwrite, not \"sometimes\""},
        {WithChoices({"--priority", "urgent", "a"}), "--priority takes idle, normal, high or realtime, not \"urgent\""},
        {WithChoices({"--jobs"}), "missing value for --jobs"},
        {WithChoices({"-X", "a"}), "unknown option -X (a file whose name begins with \"-\" goes after \"--\")"},
        {WithChoices({"--verbose=1", "a"}), "unknown option --verbose=1"},
        {{"--preset", "p", "--target", "t", "a"}, "convert needs --format NAME"},
        {{"--format", "MP3", "--target", "t", "a"}, "convert needs --preset NAME"},
        {{"--format", "MP3", "--preset", "p", "a"}, "convert needs --target DIR"},
        {WithChoices({}), "convert needs at least one FILE or folder"},
    };
    for (const Case& c : cases) {
        const std::string problem = Problem(c.args);
        EXPECT_EQ(problem.rfind(c.expected, 0) == 0 || problem.find(c.expected) != std::string::npos, true)
            << "got: " << problem << "\nwanted: " << c.expected;
    }
    EXPECT_EQ(Problem(WithChoices({"--", "-X"})), "") << "after -- a dash begins a file name";
}

TEST(ConvertArguments, FoldersExpandRecursivelyInNaturalOrderWithoutWhatNoDecoderReads)
{
    testsupport::TempFolder folder;
    const fs::path album = folder / "Album";
    fs::create_directories(album / "CD 10");
    fs::create_directories(album / "CD 2" / "bonus");
    fs::copy_file(testaudio::Get("tone.flac"), album / "CD 2" / "track 10.flac");
    fs::copy_file(testaudio::Get("tone.mp3"), album / "CD 2" / "track 9.mp3");
    fs::copy_file(testaudio::Get("tone.ogg"), album / "CD 2" / "bonus" / "extra.ogg");
    fs::copy_file(testaudio::Get("tone.mp3"), album / "CD 10" / "track 1.mp3");
    std::ofstream(album / "CD 2" / "folder.jpg") << "no audio";
    std::ofstream(album / "empty.flac");
    const fs::path single = folder / "single.wav";
    fs::copy_file(testaudio::Get("stereo.wav"), single);

    cli::ConvertArguments parsed;
    ASSERT_EQ(Problem(WithChoices({single.string(), album.string(), "missing.flac"}), &parsed), "");
    EXPECT_EQ(parsed.files, (std::vector<fs::path>{single, album / "CD 2" / "bonus" / "extra.ogg",
                                                   album / "CD 2" / "track 9.mp3", album / "CD 2" / "track 10.flac",
                                                   album / "CD 10" / "track 1.mp3", "missing.flac"}))
        << "files given by name stay, even missing ones: the run reports them";
    EXPECT_EQ(parsed.skippedInFolders, 2);

    fs::create_directory(folder / "nothing");
    std::ofstream(folder / "nothing" / "notes.txt") << "text";
    EXPECT_EQ(Problem(WithChoices({(folder / "nothing").string()})),
              "convert found no file a decoder reads in the folders given");
}

TEST(CliUsage, EveryUsageErrorSaysWhatWasWrong)
{
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {{}, "tremolix-cli: no verb given"},
        {{"frobnicate"}, "tremolix-cli: unknown verb \"frobnicate\""},
        {{"probe"}, "tremolix-cli probe: no FILE given"},
        {{"formats", "x"}, "tremolix-cli formats: takes no arguments, got \"x\""},
        {{"presets"}, "tremolix-cli presets: no FORMAT given"},
        {{"presets", "Ogg", "vorbis"}, "tremolix-cli presets: takes one FORMAT"},
        {{"presets", "Vinyl"}, "tremolix-cli presets: unknown format \"Vinyl\""},
        {{"tags"}, "tremolix-cli tags: no FILE given"},
        {{"tags", "a.mp3", "Title=x"}, "tremolix-cli tags: expected --set after FILE, got \"Title=x\""},
        {{"tags", "a.mp3", "--set"}, "tremolix-cli tags: --set needs at least one Field=value"},
        {{"tags", "a.mp3", "--set", "Mood=x"}, "tremolix-cli tags: unknown field in Mood=x"},
        {{"tags", "a.mp3", "--picture"}, "tremolix-cli tags: --picture needs a FILE"},
        {{"tags", "a.mp3", "--picture", "/no/such.png"}, "--picture /no/such.png: not a JPEG, PNG, GIF or BMP"},
        {{"convert", "--jobs", "0x10"}, "--jobs takes"},
        {{"convert", "--format", "MP3"}, "convert needs --preset NAME"},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.args);
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_NE(result.output.find(c.expected), std::string::npos)
            << "got: " << result.output << "\nwanted: " << c.expected;
        if (c.args.empty() || c.args[0] != "convert") {
            EXPECT_NE(result.output.find("usage"), std::string::npos) << result.output;
        }
    }
}

}  // namespace
