// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <thread>

#include "engine/ConversionJob.h"
#include "engine/Unzipfile.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "support/TmpfsMount.h"
#include "DecodeTestSupport.h"

namespace fs = std::filesystem;
using decodetest::Le;

namespace {

struct Header {
    std::uint32_t riffLength, channels, rate, byteRate, blockAlign, bits, dataLength;
};

Header ReadHeader(const std::string& wav)
{
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(wav, 16, 4), 16u);
    EXPECT_EQ(Le(wav, 20, 2), 1u);
    EXPECT_EQ(wav.substr(36, 4), "data");
    return {Le(wav, 4, 4),  Le(wav, 22, 2), Le(wav, 24, 4), Le(wav, 28, 4),
            Le(wav, 32, 2), Le(wav, 34, 2), Le(wav, 40, 4)};
}

struct Decoded {
    bool ok;
    std::string wav;
    std::string error;
    std::int32_t maxPercent;
};

// Runs the decode phase on a thread while this one watches the progress.
Decoded Decode(const fs::path& input, bool cancel = false)
{
    const testsupport::TempFolder folder;
    TConversionJob encoder;
    encoder.InputFile = input;
    encoder.Cancelled = cancel;
    bool ok = false;
    std::atomic<bool> running{true};
    std::int32_t maxPercent = 0;
    std::thread worker([&] {
        ok = encoder.DecodeToWav(folder / "out.wav");
        running = false;
    });
    while (running)
        maxPercent = std::max(maxPercent, encoder.Percent.load());
    worker.join();
    maxPercent = std::max(maxPercent, encoder.Percent.load());
    EXPECT_EQ(encoder.Channel, 0u);
    return {ok, decodetest::ReadFile(folder / "out.wav"), encoder.ErrorText, maxPercent};
}

void ExpectLengthsMatchTheFile(const std::string& wav)
{
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(Le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(Le(wav, 40, 4), wav.size() - 44);
}

}  // namespace

TEST(DecodeToWav, HeadersDescribeTheDeliveredData)
{
    struct Case {
        const char* name;
        std::uint32_t channels, rate;
    };
    for (const Case& c : {Case{"mono22050.wav", 1, 22050}, Case{"stereo.wav", 2, 44100},
                          Case{"96k.wav", 2, 96000}, Case{"6ch.wav", 2, 48000},
                          Case{"8bit.wav", 2, 44100}, Case{"24bit.wav", 2, 44100}}) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = Decode(testaudio::Get(c.name));
        ASSERT_TRUE(decoded.ok) << decoded.error;
        const Header header = ReadHeader(decoded.wav);
        EXPECT_EQ(header.channels, c.channels);
        EXPECT_EQ(header.rate, c.rate);
        EXPECT_EQ(header.blockAlign, 2 * c.channels);
        EXPECT_EQ(header.byteRate, 2 * c.channels * c.rate);
        EXPECT_EQ(header.bits, 16u);
        ExpectLengthsMatchTheFile(decoded.wav);
        // Every source here is one second long, the stereo one two.
        const std::uint32_t seconds = std::string(c.name) == "stereo.wav" ? 2 : 1;
        EXPECT_EQ(header.dataLength, seconds * header.byteRate);
        EXPECT_EQ(decoded.maxPercent, 50);
    }
}

TEST(DecodeToWav, DataIsTheSourceSamples)
{
    const Decoded decoded = Decode(testaudio::Get("tone.flac"));
    ASSERT_TRUE(decoded.ok);
    const std::vector<short> source = testaudio::DecodeS16(testaudio::Get("stereo.wav"));
    ASSERT_EQ(decoded.wav.size(), 44 + source.size() * 2);
    EXPECT_EQ(decoded.wav.compare(44, std::string::npos,
                                  std::string(reinterpret_cast<const char*>(source.data()), source.size() * 2)),
              0);
}

TEST(DecodeToWav, ProgressStaysWithinHalfForEstimatedLengths)
{
    const testsupport::TempFolder folder;
    const fs::path mp3 = decodetest::MakeMp3WithoutInfoFrame(folder.path());
    const Decoded decoded = Decode(mp3);
    ASSERT_TRUE(decoded.ok);
    EXPECT_LE(decoded.maxPercent, 50);
    ExpectLengthsMatchTheFile(decoded.wav);
}

TEST(DecodeToWav, CancelStillLeavesAConsistentFile)
{
    const Decoded decoded = Decode(testaudio::Get("tone.ogg"), true);
    EXPECT_FALSE(decoded.ok);
    EXPECT_EQ(decoded.error, "Operation is cancelled");
    EXPECT_EQ(decoded.wav.size(), 44u + 10240u);  // one block, then the cancel is seen
    ExpectLengthsMatchTheFile(decoded.wav);
}

TEST(DecodeToWav, UnreadableInputOrTargetFails)
{
    const testsupport::TempFolder folder;
    decodetest::WriteFile(folder / "text.mp3", "hello");
    TConversionJob encoder;
    encoder.InputFile = folder / "text.mp3";
    EXPECT_FALSE(encoder.DecodeToWav(folder / "out.wav"));
    EXPECT_EQ(encoder.ErrorText, "Open file failed!");
    EXPECT_EQ(encoder.Percent, 0);

    encoder.InputFile = testaudio::Get("stereo.wav");
    EXPECT_FALSE(encoder.DecodeToWav(folder / "no such folder" / "out.wav"));
    EXPECT_NE(encoder.ErrorText.find("out.wav"), std::string::npos) << encoder.ErrorText;
    EXPECT_EQ(encoder.Channel, 0u);

    // /dev/full accepts the header's open but refuses every write.
    if (fs::exists("/dev/full")) {
        EXPECT_FALSE(encoder.DecodeToWav("/dev/full"));
        EXPECT_EQ(encoder.ErrorText, "Cannot write the file \"/dev/full\": No space left on device");
    }
}

TEST(MakeTempWavName, NamesAreFreshFilesThatNeverCollide)
{
    std::set<fs::path> names;
    std::mutex mutex;
    auto draw = [&] {
        for (int i = 0; i < 100; ++i) {
            std::error_code error;
            const fs::path name = TConversionJob::MakeTempWavName(error);
            EXPECT_FALSE(error) << error.message();
            const std::lock_guard lock(mutex);
            names.insert(name);
        }
    };
    std::thread other(draw);
    draw();
    other.join();
    EXPECT_EQ(names.size(), 200u);
    for (const fs::path& name : names) {
        EXPECT_EQ(name.parent_path(), engine::TempFolder());
        EXPECT_EQ(name.filename().string().front(), '~');
        EXPECT_EQ(name.extension(), ".wav");
        EXPECT_TRUE(fs::is_regular_file(name));
        fs::remove(name);
    }
}

TEST(MakeTempWavName, ATemporaryFolderThatCannotTakeTheFileIsNamedWithTheReason)
{
    const testsupport::TempFolder folder;
    decodetest::WriteFile(folder / "a file", "");
    const testsupport::TmpfsMount full(folder / "full", 0, "size=8k");
    const auto convert = [&](const fs::path& tmpdir) {
        const testsupport::ScopedEnv tmp("TMPDIR", tmpdir.c_str());
        TConversionJob job;
        job.InputFile = testaudio::Get("stereo.wav");
        job.OutputFile = folder / "out.ofr";
        job.OutputFormat = engine::FormatOfr;  // the one format that goes through a WAV file
        job.ProgramPath = "/bin/true";
        job.Run();
        EXPECT_FALSE(job.Succeeded);
        EXPECT_FALSE(fs::exists(job.OutputFile));
        return job.ErrorText;
    };
    const std::pair<std::string, std::string> cases[] = {{"missing", "No such file or directory"},
                                                         {"a file", "Not a directory"}};
    for (const auto& [name, reason] : cases) {
        EXPECT_EQ(convert(folder / name),
                  "Cannot create a temporary file in \"" + (folder / name).string() + "\": " + reason);
        const testsupport::ScopedEnv tmp("TMPDIR", (folder / name).c_str());
        std::error_code error;
        EXPECT_TRUE(TConversionJob::MakeTempWavName(error).empty());
        EXPECT_EQ(error.message(), reason);
    }
    if (!full.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    const std::string text = convert(folder / "full");
    EXPECT_EQ(text.rfind("Cannot write the file \"" + (folder / "full" / "~").string(), 0), 0u) << text;
    EXPECT_NE(text.find(".wav\": No space left on device"), std::string::npos) << text;
    EXPECT_TRUE(fs::is_empty(folder / "full"));
}
