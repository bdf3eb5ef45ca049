// SPDX-License-Identifier: GPL-3.0-or-later
// The tag copy of a conversion from every tagged source kind into every
// output format: what mutagen reads from an output equals what it reads
// from the source for every value the output kind holds, and the NOTE line
// names exactly the rest. One run per output format converts all sources.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "CliRunner.h"
#include "TagMatrixScripts.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

// Canonical name to its values, in stored order.
using Values = std::map<std::string, std::vector<std::string>>;

// Source files by tagging kind; the file name is the kind.
const std::vector<std::pair<std::string, std::string>> SourceKinds = {
    {"mp3v23", "tone.mp3"}, {"mp3v24", "tone.mp3"}, {"flac", "tone.flac"}, {"ogg", "tone.ogg"},
    {"opus", "tone.opus"},  {"m4a", "tone.m4a"},    {"wma", "tone.wma"},   {"ape", "tone.ape"},
    {"mpc", "tone.mpc"},    {"wv", "tone.wv"},
};

// What the tag layer of an ADTS file holds: the record's fields in an
// ID3v2.3 tag, several values joined by "/" as taggers write them there.
const std::set<std::string> RecordNames = {"TITLE", "ARTIST", "ALBUM", "DATE", "COMMENT",
                                           "GENRE", "TRACKNUMBER", "TRACKTOTAL"};

// The record reads a WMA track number without its total (TotalTracks), so
// an output that takes only the record's values cannot get it.
bool TotalOutOfReach(const fs::path& source, const std::string& name)
{
    return source.extension() == ".wma" && name == "TRACKTOTAL";
}

struct Target {
    const char* format;
    const char* preset;
    const char* extension;
    std::set<std::string> held;  // empty: every name the sources hold
    bool slashJoined = false;
};

void PrintTo(const Target& target, std::ostream* os) { *os << target.extension; }

Values Parse(const std::string& printed)
{
    Values values;
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            values[line.substr(0, equals)].push_back(line.substr(equals + 1));
    return values;
}

Values Dump(const fs::path& file)
{
    std::string printed;
    const int status = testaudio::Run({"/usr/bin/python3", "-c", tagmatrix::DumpScript, file.string()}, &printed);
    EXPECT_EQ(status, 0) << file << ": " << printed;
    return Parse(printed);
}

std::string Joined(const std::vector<std::string>& values, const char* separator)
{
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : separator) + value;
    return text;
}

// The names a NOTE line of the run gives as not copied, by input.
std::map<std::string, std::set<std::string>> NotCopied(const std::string& output)
{
    const std::string marker = " values not copied: ";
    std::map<std::string, std::set<std::string>> names;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(marker);
        if (line.rfind("NOTE\t", 0) != 0 || at == std::string::npos)
            continue;
        const std::string input = line.substr(5, line.find('\t', 5) - 5);
        std::istringstream list(line.substr(at + marker.size()));
        for (std::string name; std::getline(list, name, ',');)
            names[input].insert(name.substr(name.find_first_not_of(' ')));
    }
    return names;
}

class TagCopyMatrix : public ::testing::TestWithParam<Target> {
protected:
    // Tagged once for every output format.
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<testsupport::TempFolder>();
        fs::create_directories(*folder_ / "sources");
        const fs::path cover = *folder_ / "cover.jpg";
        ASSERT_EQ(testaudio::Run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=red:s=16x16",
                                  "-frames:v", "1", cover.string()}),
                  0);
        for (const auto& [kind, tone] : SourceKinds) {
            const fs::path source = *folder_ / "sources" / (kind + fs::path(tone).extension().string());
            fs::copy_file(testaudio::Get(tone), source);
            std::string printed;
            ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", tagmatrix::TagScript, source.string(), kind,
                                      cover.string()},
                                     &printed),
                      0)
                << kind << ": " << printed;
            sources_.push_back(source);
        }
    }

    static void TearDownTestSuite()
    {
        sources_.clear();
        folder_.reset();
    }

    static inline std::unique_ptr<testsupport::TempFolder> folder_;
    static inline std::vector<fs::path> sources_;
};

TEST_F(TagCopyMatrix, EverySourceKindReadsTheSame)
{
    const Values first = Dump(sources_.front());
    EXPECT_EQ(first.at("ARTIST").size(), 2u);
    EXPECT_EQ(first.at("picture (Front cover)").size(), 1u);
    for (const fs::path& source : sources_)
        EXPECT_EQ(Dump(source), first) << source.filename();
}

TEST_P(TagCopyMatrix, OutputHoldsWhatItCanAndTheNoteNamesTheRest)
{
    const Target& target = GetParam();
    const fs::path out = *folder_ / (std::string("out") + target.extension);
    fs::create_directories(out);
    std::vector<std::string> args = {"convert", "--format", target.format, "--preset", target.preset, "--target",
                                     out.string(), "--copy-tags", "--verbose", "--jobs", "2"};
    for (const fs::path& source : sources_)
        args.push_back(source.string());
    const CliResult run = RunCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto notes = NotCopied(run.output);

    for (const fs::path& source : sources_) {
        SCOPED_TRACE(source.filename().string() + " to " + target.extension);
        const fs::path output = out / source.filename().replace_extension(target.extension);
        ASSERT_TRUE(fs::exists(output)) << run.output;
        Values expected;
        std::set<std::string> lost;
        for (const auto& [name, values] : Dump(source)) {
            if (!target.held.empty() && (!target.held.count(name) || TotalOutOfReach(source, name)))
                lost.insert(name);
            else if (target.slashJoined)
                expected[name] = {Joined(values, "/")};
            else
                expected[name] = values;
        }
        EXPECT_EQ(Dump(output), expected);
        const auto note = notes.find(source.string());
        EXPECT_EQ(note == notes.end() ? std::set<std::string>() : note->second, lost) << run.output;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, TagCopyMatrix,
    ::testing::Values(Target{"MP3", "CBR 128 kbps", ".mp3", {}},
                      Target{"FLAC (Free Lossless Audio Codec)", "Level 0 (fastest)", ".flac", {}},
                      Target{"Ogg vorbis", "Quality -1 (about 45 kbps)", ".ogg", {}},
                      Target{"M4A (MPEG-4 AAC)", "Quality 100 (standard)", ".m4a", {}},
                      Target{"MP4 (MPEG-4 AAC)", "Quality 100 (standard)", ".mp4", {}},
                      Target{"AAC (MPEG-2)", "Quality 100 (standard)", ".aac", RecordNames, true},
                      Target{"WMA (Windows media audio)", "CBR 128 kbps 44100 Hz stereo", ".wma", {}},
                      Target{"APE (Monkey's Audio)", "Fast (-c1000)", ".ape", {}},
                      Target{"MPC (Musepack)", "Thumb (about 90 kbps)", ".mpc", {}},
                      Target{"WAV (Standard)", "Keep as is", ".wav", {}}),
    [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.extension + 1); });

}  // namespace
