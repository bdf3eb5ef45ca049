// SPDX-License-Identifier: GPL-3.0-or-later
// A tag write killed at any moment leaves the file as it was or as it was
// meant to be, never damaged (mutagen reads it, and so does the kind's own
// decoder where one is named), and the next write leaves no twin behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

#include "CliProcess.h"
#include "CliRunner.h"
#include "support/DeadPid.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

// Gives the file the title "Old" and a front cover of the given file's bytes.
const char* TagWithCover = R"PY(
import sys, base64, struct
from mutagen.id3 import ID3, APIC, TIT2
from mutagen.flac import FLAC, Picture
from mutagen.oggvorbis import OggVorbis
from mutagen.mp4 import MP4, MP4Cover
from mutagen.asf import ASF, ASFByteArrayAttribute
from mutagen.apev2 import APEv2, APEValue, BINARY
path, data = sys.argv[1], open(sys.argv[2], 'rb').read()
kind = path.rsplit('.', 1)[1]
picture = Picture()
picture.type, picture.mime, picture.data = 3, 'image/jpeg', data
if kind == 'mp3':
    t = ID3(); t.add(TIT2(encoding=3, text='Old'))
    t.add(APIC(encoding=0, mime='image/jpeg', type=3, desc='', data=data)); t.save(path)
elif kind == 'flac':
    f = FLAC(path); f.add_picture(picture); f['TITLE'] = 'Old'; f.save()
elif kind == 'ogg':
    f = OggVorbis(path); f['METADATA_BLOCK_PICTURE'] = [base64.b64encode(picture.write()).decode()]
    f['TITLE'] = 'Old'; f.save()
elif kind == 'm4a':
    f = MP4(path); f['covr'] = [MP4Cover(data, MP4Cover.FORMAT_JPEG)]; f['\xa9nam'] = 'Old'; f.save()
elif kind == 'wma':
    blob = struct.pack('<bi', 3, len(data)) + 'image/jpeg\0\0'.encode('utf-16-le') + data
    f = ASF(path); f['WM/Picture'] = [ASFByteArrayAttribute(blob)]; f['Title'] = 'Old'; f.save()
else:
    t = APEv2(); t['Title'] = 'Old'; t['Cover Art (Front)'] = APEValue(b'cover.jpg\0' + data, BINARY); t.save(path)
)PY";

// Prints "title cover-bytes" as mutagen reads them; fails on a damaged file.
const char* TitleAndCover = R"PY(
import sys, base64, mutagen
from mutagen.flac import Picture
path = sys.argv[1]
f = mutagen.File(path)
kind = path.rsplit('.', 1)[1]
if kind == 'mp3':
    title, cover = str(f.tags['TIT2']), len(f.tags.getall('APIC')[0].data)
elif kind == 'flac':
    title, cover = f['TITLE'][0], len(f.pictures[0].data)
elif kind == 'ogg':
    title, cover = f['TITLE'][0], len(Picture(base64.b64decode(f['METADATA_BLOCK_PICTURE'][0])).data)
elif kind == 'm4a':
    title, cover = f['\xa9nam'][0], len(f['covr'][0])
elif kind == 'wma':
    title, cover = str(f['Title'][0]), len(f['WM/Picture'][0].value) - 29
else:
    title, cover = str(f.tags['Title']), len(f.tags['Cover Art (Front)'].value.split(b'\0', 1)[1])
print(title, cover)
)PY";

constexpr int CoverBytes = 5000000;

std::string Probe(const fs::path& file)
{
    std::string printed;
    const int status = testaudio::Run({"/usr/bin/python3", "-c", TitleAndCover, file.string()}, &printed);
    return status == 0 ? printed : "unreadable: " + printed;
}

// A kind of file, and the program that decodes or verifies it as its own
// tools would, "{}" standing for the file; empty where mutagen's reading is
// the check.
struct Kind {
    const char* extension;
    std::vector<std::string> check;
};

void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.extension; }

// The audio only: the cover (random bytes named a JPEG) is no picture.
const std::vector<std::string> FfmpegDecode = {"ffmpeg", "-nostdin", "-v",   "error", "-xerror", "-i",
                                               "{}",     "-map",     "0:a", "-f",    "null",    "-"};

// Empty when the check program takes the file, else what it said.
std::string Refusal(const Kind& kind, const fs::path& file)
{
    if (kind.check.empty())
        return {};
    std::vector<std::string> argv = kind.check;
    std::replace(argv.begin(), argv.end(), std::string("{}"), file.string());
    std::string printed;
    return testaudio::Run(argv, &printed) == 0 ? std::string() : argv.front() + " refused it: " + printed;
}

class TagWriteKill : public ::testing::TestWithParam<Kind> {};

TEST_P(TagWriteKill, LeavesTheOldOrTheNewTagsAndNoTwinAfterTheNextWrite)
{
    testsupport::TempFolder root;
    const fs::path folder = root / "music";
    const fs::path tmp = root / "tmp";
    fs::create_directories(folder);
    fs::create_directories(tmp);
    const Kind& kind = GetParam();
    const fs::path file = folder / (std::string("song.") + kind.extension);
    fs::copy_file(testaudio::Get(std::string("tone.") + kind.extension), file);
    const fs::path cover = root / "cover.jpg";
    ASSERT_EQ(testaudio::Run({"sh", "-c", "head -c " + std::to_string(CoverBytes) + " /dev/urandom > '" +
                                              cover.string() + "'"}),
              0);
    std::string printed;
    ASSERT_EQ(testaudio::Run({"/usr/bin/python3", "-c", TagWithCover, file.string(), cover.string()}, &printed), 0)
        << printed;
    ASSERT_EQ(Probe(file), "Old " + std::to_string(CoverBytes) + "\n");

    // Kills spread over the write: before it opens the file, while it copies
    // the cover, around the rename. Each round's next write changes the title
    // again, so it really rewrites the file.
    const std::string coverText = " " + std::to_string(CoverBytes) + "\n";
    std::string before = "Old";
    for (const int delay : {0, 5, 15, 30, 45, 60, 90}) {
        CliProcess cli({"tags", file.string(), "--set", "Title=New"}, tmp, root.path(), root / "log");
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        cli.Signal(SIGKILL);
        cli.Wait();
        const std::string seen = Probe(file);
        EXPECT_TRUE(seen == before + coverText || seen == "New" + coverText)
            << "killed after " << delay << " ms: " << seen;
        EXPECT_EQ(Refusal(kind, file), "") << "killed after " << delay << " ms";
        before = "Round " + std::to_string(delay);
        const CliResult next = RunCli({"tags", file.string(), "--set", "Title=" + before});
        ASSERT_EQ(next.exitCode, 0) << next.output;
        EXPECT_EQ(Probe(file), before + coverText);
        EXPECT_EQ(testsupport::SortedFileNames(folder), std::vector<std::string>{file.filename().string()})
            << "killed after " << delay << " ms";
    }
}

// The twins of a killed write go with the next write even when that one
// has nothing to change; a twin of a running program and the user's own
// files stay.
TEST(TagWriteTwins, WriteThatChangesNothingStillRemovesStaleTwins)
{
    testsupport::TempFolder root;
    const fs::path file = root / "song.flac";
    fs::copy_file(testaudio::Get("tone.flac"), file);
    ASSERT_EQ(RunCli({"tags", file.string(), "--set", "Title=Same"}).exitCode, 0);
    const std::string stale = ".song.tremolix-twin." + std::to_string(testsupport::DeadPid()) + "-AbCd1234.flac";
    const std::string running = ".song.tremolix-twin." + std::to_string(getpid()) + "-AbCd1234.flac";
    for (const std::string& name : {stale, running, std::string("song.flac~")})
        fs::copy_file(file, root / name);
    const std::string before = testaudio::ReadBytes(file);

    const CliResult same = RunCli({"tags", file.string(), "--set", "Title=Same"});

    EXPECT_EQ(same.exitCode, 0) << same.output;
    EXPECT_EQ(testsupport::SortedFileNames(root.path()),
              (std::vector<std::string>{running, "song.flac", "song.flac~"}));
    EXPECT_EQ(testaudio::ReadBytes(file), before);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, TagWriteKill,
                         ::testing::Values(Kind{"mp3", {}}, Kind{"flac", {"flac", "--silent", "--test", "{}"}},
                                           Kind{"ogg", {}}, Kind{"m4a", {}}, Kind{"wma", {}},
                                           Kind{"ape", FfmpegDecode}, Kind{"mpc", FfmpegDecode},
                                           Kind{"wv", {"wvunpack", "-q", "-v", "{}"}}),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.extension); });

}  // namespace
