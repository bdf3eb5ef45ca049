// SPDX-License-Identifier: GPL-3.0-or-later
// Two convert runs at once over overlapping inputs, both copying tags and
// deleting originals: whichever run gets to a shared input first, every
// output stands whole and tagged, no original goes without one, and no
// line says what did not happen.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <sstream>

#include "cli/CliProcess.h"
#include "cli/RunFolders.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr int InputCount = 6;
constexpr int CoverBytes = 3000;

// Tags each FLAC file named after the cover size with its own title, artist
// and cover.
constexpr const char* TagInputs = R"PY(
import sys, os
from mutagen.flac import FLAC, Picture
for path in sys.argv[2:]:
    n = os.path.basename(path)[4]
    f = FLAC(path)
    f['title'], f['artist'] = 'Title ' + n, 'Artist ' + n
    pic = Picture(); pic.type, pic.mime, pic.desc = 3, 'image/jpeg', 'Front'
    pic.data = bytes([int(n)]) * int(sys.argv[1])
    f.add_picture(pic)
    f.save()
)PY";

// One line per MP3 file named: seconds of audio, title, artist and cover
// size, tab-separated.
constexpr const char* ReadTags = R"PY(
import sys
from mutagen.mp3 import MP3
for path in sys.argv[1:]:
    try:
        f = MP3(path)
        t = f.tags
        print('%.1f' % f.info.length, t['TIT2'].text[0], t['TPE1'].text[0], len(t.getall('APIC')[0].data),
              sep='\t')
    except Exception as e:
        print('unreadable', type(e).__name__, sep='\t')
)PY";

std::string Song(int n, const char* extension) { return "song" + std::to_string(n) + extension; }

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

// A shared input fails in one run only because the other deleted it.
bool SaysTheInputIsGone(const std::string& reason)
{
    for (const char* gone : {"removed", "does not exist", "No such file"})
        if (reason.find(gone) != std::string::npos)
            return true;
    return false;
}

// The order in which each run lists its inputs, numbered 1 to 6: the two
// runs meet on inputs 3 and 4 at once, one after the other, or crossed.
struct Round {
    std::vector<int> first;
    std::vector<int> second;
};

const std::array<Round, 4> Rounds = {{{{3, 4, 1, 2}, {3, 4, 5, 6}},
                                      {{1, 2, 3, 4}, {3, 4, 5, 6}},
                                      {{1, 2, 3, 4}, {5, 6, 3, 4}},
                                      {{4, 3, 1, 2}, {3, 4, 5, 6}}}};

class OverlappingRuns : public RunFolders {
protected:
    void SetUp() override
    {
        RunFolders::SetUp();
        fs::create_directories(masters());
        std::vector<std::string> tagging = {"/usr/bin/python3", "-c", TagInputs, std::to_string(CoverBytes)};
        for (int n = 1; n <= InputCount; ++n) {
            const fs::path master = masters() / Song(n, ".flac");
            fs::copy_file(testaudio::Get("tone.flac"), master);
            tagging.push_back(master.string());
        }
        std::string printed;
        ASSERT_EQ(testaudio::Run(tagging, &printed), 0) << printed;
    }

    fs::path masters() const { return root_ / "masters"; }
    fs::path Input(int n) const { return in() / Song(n, ".flac"); }
    fs::path Output(int n) const { return target() / Song(n, ".mp3"); }

    std::vector<std::string> Args(const std::vector<int>& inputs) const
    {
        std::vector<std::string> args = {"convert", "--format", "MP3", "--preset", "CBR 128 kbps",
                                         "--target", target().string(), "--copy-tags", "--delete-original",
                                         "--when-exists", "overwrite", "--"};
        for (int n : inputs)
            args.push_back(Input(n).string());
        return args;
    }

    // The length, title, artist and cover size mutagen reads from each output.
    std::vector<std::string> OutputTags() const
    {
        std::vector<std::string> reading = {"/usr/bin/python3", "-c", ReadTags};
        for (int n = 1; n <= InputCount; ++n)
            reading.push_back(Output(n).string());
        std::string printed;
        EXPECT_EQ(testaudio::Run(reading, &printed), 0) << printed;
        std::vector<std::string> lines;
        std::istringstream in(printed);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

};

}  // namespace

TEST_F(OverlappingRuns, EveryOutputIsWholeAndTaggedAndEveryLineIsTrue)
{
    std::vector<std::string> expectedNames, expectedTags;
    for (int n = 1; n <= InputCount; ++n) {
        expectedNames.push_back(Song(n, ".mp3"));
        expectedTags.push_back("2.0\tTitle " + std::to_string(n) + "\tArtist " + std::to_string(n) + "\t" +
                               std::to_string(CoverBytes));
    }
    for (std::size_t round = 0; round < 2 * Rounds.size(); ++round) {
        const Round& order = Rounds[round % Rounds.size()];
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove_all(target());
        fs::create_directories(target());
        for (int n = 1; n <= InputCount; ++n)
            fs::copy_file(masters() / Song(n, ".flac"), Input(n));

        CliProcess first(Args(order.first), tmp(), root_.path(), root_ / "log1");
        CliProcess second(Args(order.second), tmp(), root_.path(), root_ / "log2");
        const std::array<int, 2> exits = {first.Wait(), second.Wait()};
        const std::array<std::string, 2> logs = {first.Output(), second.Output()};
        const std::string both = logs[0] + "----\n" + logs[1];
        for (int exit : exits)
            EXPECT_TRUE(exit == 0 || exit == 1) << exit << "\n" << both;

        // Each input listed gets one line; a shared input may fail in one
        // run only when the other converted it.
        std::map<std::string, int> converted;
        std::map<std::string, int> failed;
        for (std::size_t run = 0; run < logs.size(); ++run) {
            std::istringstream lines(logs[run]);
            std::size_t count = 0;
            for (std::string line; std::getline(lines, line); ++count) {
                const std::vector<std::string> fields = Fields(line);
                ASSERT_GE(fields.size(), 3u) << both;
                if (fields[0] == "OK") {
                    EXPECT_EQ(fields.size(), 3u) << "an original was said to be kept:\n" << both;
                    EXPECT_TRUE(fs::exists(fields[2])) << both;
                    ++converted[fields[1]];
                } else {
                    EXPECT_EQ(fields[0], "FAILED") << both;
                    EXPECT_TRUE(SaysTheInputIsGone(fields[2])) << both;
                    ++failed[fields[1]];
                }
            }
            EXPECT_EQ(count, (run == 0 ? order.first : order.second).size()) << both;
        }
        for (int n = 1; n <= InputCount; ++n) {
            const std::string input = Input(n).string();
            EXPECT_GE(converted[input], 1) << input << "\n" << both;
            if (n != 3 && n != 4) {
                EXPECT_EQ(failed[input], 0) << input << "\n" << both;
            }
        }
        EXPECT_TRUE(fs::is_empty(in())) << testsupport::SortedFileNames(in()).front() << "\n" << both;
        EXPECT_EQ(testsupport::SortedFileNames(target()), expectedNames) << both;
        EXPECT_TRUE(fs::is_empty(tmp()));
        EXPECT_EQ(OutputTags(), expectedTags) << both;
        if (HasFailure())
            return;
    }
}
