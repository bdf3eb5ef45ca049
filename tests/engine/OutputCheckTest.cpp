// SPDX-License-Identifier: GPL-3.0-or-later
// The check that an output holds all of its input, on files made by the
// real encoders, whole and cut short as a full disk leaves them.

#include <gtest/gtest.h>

#include <sys/mount.h>

#include "engine/OutputCheck.h"
#include "engine/Unzipfile.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

constexpr double Seconds = 20;

class OutputCheck : public ::testing::Test {
protected:
    void SetUp() override { testaudio::MakeToneWav(wav_, 44100, 2, Seconds); }

    // The tone encoded into a file of the kind its name says.
    fs::path Encode(const std::string& name)
    {
        const fs::path file = folder_ / name;
        const std::string in = wav_.string(), out = file.string();
        const std::string kind = file.extension().string();
        std::vector<std::string> argv;
        if (kind == ".mp3")
            argv = {"lame", "--quiet", "-b", "128", in, out};
        else if (kind == ".ogg")
            argv = {"oggenc", "-Q", "-o", out, in};
        else if (kind == ".flac")
            argv = {"flac", "-s", "-f", "-o", out, in};
        else if (kind == ".mpc")
            argv = {"mpcenc", "--silent", "--overwrite", in, out};
        else if (kind == ".ape")
            argv = {MonkeysAudio().string(), in, out, "-c2000"};
        else if (kind == ".wma")
            argv = {"ffmpeg", "-v", "error", "-y", "-i", in, "-c:a", "wmav2", out};
        else if (kind == ".wav")
            argv = {"cp", in, out};
        else
            argv = {"ffmpeg", "-v", "error", "-y", "-i", in, "-c:a", "aac", out};
        std::string printed;
        EXPECT_EQ(testaudio::Run(argv, &printed), 0) << printed;
        return file;
    }

    fs::path MonkeysAudio()
    {
        fs::path program;
        EXPECT_TRUE(engine::ExtractFromPackage(testaudio::BuildProgramFolder() / "EncodeDLL.dll", "mac.exe", program,
                                               folder_.path()));
        return program;
    }

    // A copy of file without its last bytes.
    fs::path CutShort(const fs::path& file, std::uintmax_t keep)
    {
        const fs::path cut = folder_ / ("cut-" + file.filename().string());
        fs::copy_file(file, cut, fs::copy_options::overwrite_existing);
        fs::resize_file(cut, keep);
        return cut;
    }

    testsupport::TempFolder folder_;
    fs::path wav_ = folder_ / "tone.wav";
};

}  // namespace

TEST_F(OutputCheck, WholeOutputsPassAndOutputsCutShortFail)
{
    for (const char* name : {"a.mp3", "a.ogg", "a.flac", "a.mpc", "a.ape", "a.wma", "a.m4a", "a.aac", "a.wav"}) {
        SCOPED_TRACE(name);
        const fs::path file = Encode(name);
        std::string why;
        EXPECT_TRUE(engine::VerifyOutput(file, Seconds, why)) << why;
        // Longer than the output: an input it does not hold all of.
        EXPECT_FALSE(engine::VerifyOutput(file, Seconds + 1, why));
        EXPECT_EQ(why.rfind("the output holds ", 0), 0u) << why;

        const fs::path cut = CutShort(file, fs::file_size(file) * 2 / 3);
        EXPECT_FALSE(engine::VerifyOutput(cut, Seconds, why));
        EXPECT_FALSE(why.empty());
    }
}

// Formats whose packets outlast the check's tolerance lose their last
// packet, not a mere frame, to a few missing bytes.
TEST_F(OutputCheck, ALastPacketCutShortFails)
{
    for (const char* name : {"a.mpc", "a.ape"}) {
        SCOPED_TRACE(name);
        const fs::path file = Encode(name);
        std::string why;
        EXPECT_FALSE(engine::VerifyOutput(CutShort(file, fs::file_size(file) - 100), Seconds, why));
        EXPECT_EQ(why.rfind("the output holds ", 0), 0u) << why;
    }
}

TEST_F(OutputCheck, MissingEmptyAndForeignFilesFail)
{
    std::string why;
    EXPECT_FALSE(engine::VerifyOutput(folder_ / "none.mp3", Seconds, why));
    EXPECT_EQ(why, "the output is missing");
    testaudio::Run({"touch", (folder_ / "empty.mp3").string()});
    EXPECT_FALSE(engine::VerifyOutput(folder_ / "empty.mp3", Seconds, why));
    EXPECT_EQ(why, "the output is empty");
    testaudio::Run({"cp", "/etc/os-release", (folder_ / "text.mp3").string()});
    EXPECT_FALSE(engine::VerifyOutput(folder_ / "text.mp3", Seconds, why));
    EXPECT_EQ(why, "the output does not decode");
}

TEST_F(OutputCheck, AProbeWriteNamesAFullDiskAndLeavesTheFileAsItWas)
{
    const fs::path file = Encode("a.mp3");
    const std::string bytes = testaudio::ReadBytes(file);
    EXPECT_EQ(engine::WriteFailure(file), "");
    EXPECT_EQ(testaudio::ReadBytes(file), bytes);

    const fs::path small = folder_ / "small";
    fs::create_directory(small);
    if (mount("tremolix-test", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const fs::path full = small / "full.mp3";
    testaudio::Run({"dd", "if=/dev/zero", "of=" + full.string(), "bs=4096", "count=100"});
    const std::uintmax_t size = fs::file_size(full);
    EXPECT_EQ(engine::WriteFailure(full), "No space left on device");
    EXPECT_EQ(fs::file_size(full), size);
    umount(small.c_str());
}
