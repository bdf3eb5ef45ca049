// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <algorithm>

#include "engine/ConversionJob.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "MediaProbe.h"

namespace fs = std::filesystem;

namespace {

struct WmaJob {
    testsupport::TempFolder folder;
    TConversionJob encoder;

    explicit WmaJob(const std::string& input, std::int32_t rate = 44100, std::int32_t channels = 2)
    {
        encoder.InputFile = testaudio::Get(input);
        encoder.OutputFile = folder / "-out 'x' $OUTFILE.wma";
        encoder.WmaSampleRate = rate;
        encoder.WmaChannels = channels;
    }
};

}  // namespace

TEST(WmaRates, ConstantRatesAndQualityLevels)
{
    std::vector<std::string> list{"old"};
    std::string error;
    ASSERT_TRUE(TEncoder::GetWmaRates(44100, list, false, error)) << error;
    EXPECT_NE(std::find(list.begin(), list.end(), "64Kbps"), list.end());
    EXPECT_NE(std::find(list.begin(), list.end(), "128Kbps"), list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), "old"), list.end());

    ASSERT_TRUE(TEncoder::GetWmaRates(22050, list, true, error)) << error;
    EXPECT_NE(std::find(list.begin(), list.end(), "90"), list.end());
}

TEST(WmaRates, EverySampleRateOfTheDialogOffersRates)
{
    for (const int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000}) {
        for (const bool vbr : {false, true}) {
            std::vector<std::string> list;
            std::string error;
            EXPECT_TRUE(TEncoder::GetWmaRates(rate, list, vbr, error)) << rate << " " << error;
            EXPECT_FALSE(list.empty()) << rate;
        }
    }
}

TEST(WmaRates, UnsupportedRateKeepsTheListAndSaysWhy)
{
    std::vector<std::string> list{"keep"};
    std::string error;
    EXPECT_FALSE(TEncoder::GetWmaRates(96000, list, false, error));
    EXPECT_EQ(error, "Your installed Codec will not support the specified sample format");
    EXPECT_EQ(list, std::vector<std::string>{"keep"});
    EXPECT_FALSE(TEncoder::GetWmaRates(-5, list, true, error));
}

TEST(EncodeWma, ConstantRateOutputHasTheInputsLengthAndTheAskedRate)
{
    WmaJob job("stereo.wav");
    job.encoder.WmaBitrate = 128;
    ASSERT_TRUE(job.encoder.EncodeWma()) << job.encoder.ErrorText;
    EXPECT_EQ(job.encoder.Percent, 100);
    EXPECT_EQ(job.encoder.Channel, 0u);
    const mediaprobe::Media out = mediaprobe::Probe(job.encoder.OutputFile);
    EXPECT_EQ(out["codec_name"], "wmav2");
    EXPECT_EQ(out["channels"], "2");
    EXPECT_EQ(out["bit_rate"], "128000");
    EXPECT_NEAR(out.seconds, 2.0, 2048.0 / 44100);
}

TEST(EncodeWma, SourceIsConvertedToTheJobsRateAndChannels)
{
    WmaJob job("mono22050.wav", 44100, 2);
    job.encoder.WmaVbr = true;
    job.encoder.WmaBitrate = 90;
    ASSERT_TRUE(job.encoder.EncodeWma()) << job.encoder.ErrorText;
    const mediaprobe::Media out = mediaprobe::Probe(job.encoder.OutputFile);
    EXPECT_EQ(out["sample_rate"], "44100");
    EXPECT_EQ(out["channels"], "2");
    EXPECT_EQ(out["bit_rate"], "160000");
    EXPECT_NEAR(out.seconds, 1.0, 2048.0 / 44100);

    WmaJob mono("stereo.wav", 32000, 1);
    ASSERT_TRUE(mono.encoder.EncodeWma()) << mono.encoder.ErrorText;
    const mediaprobe::Media monoOut = mediaprobe::Probe(mono.encoder.OutputFile);
    EXPECT_EQ(monoOut["sample_rate"], "32000");
    EXPECT_EQ(monoOut["channels"], "1");
    EXPECT_NEAR(monoOut.seconds, 2.0, 2048.0 / 32000);
}

TEST(EncodeWma, CancelLeavesAClosedPartialFile)
{
    WmaJob job("stereo.wav");
    job.encoder.Cancelled = true;
    EXPECT_FALSE(job.encoder.EncodeWma());
    EXPECT_EQ(job.encoder.ErrorText, "Operation is cancelled");
    EXPECT_EQ(job.encoder.Percent, 100);
    EXPECT_EQ(job.encoder.Channel, 0u);
    const mediaprobe::Media out = mediaprobe::Probe(job.encoder.OutputFile);
    EXPECT_EQ(out["codec_name"], "wmav2");
    EXPECT_LT(out.seconds, 1.0);
}

TEST(EncodeWma, FailuresHaveTexts)
{
    WmaJob badRate("stereo.wav", 96000);
    EXPECT_FALSE(badRate.encoder.EncodeWma());
    EXPECT_EQ(badRate.encoder.ErrorText, "The WMA encoder cannot be opened for this sample rate and bit rate");
    EXPECT_EQ(badRate.encoder.Channel, 0u);
    EXPECT_FALSE(fs::exists(badRate.encoder.OutputFile));

    WmaJob noFolder("stereo.wav");
    noFolder.encoder.OutputFile = noFolder.folder / "missing" / "out.wma";
    EXPECT_FALSE(noFolder.encoder.EncodeWma());
    EXPECT_FALSE(noFolder.encoder.ErrorText.empty());

    WmaJob noInput("stereo.wav");
    noInput.encoder.InputFile = noInput.folder / "gone.wav";
    EXPECT_FALSE(noInput.encoder.EncodeWma());
    EXPECT_EQ(noInput.encoder.ErrorText, "The file \"" + noInput.encoder.InputFile.string() + "\" does not exist");
}
