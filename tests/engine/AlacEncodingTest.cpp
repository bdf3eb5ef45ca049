// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process Apple Lossless encoder: the source's shape kept sample for
// sample, and preset options it would ignore refused.

#include <gtest/gtest.h>

#include "engine/ConversionJob.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

struct AlacJob {
    testsupport::TempFolder folder;
    TConversionJob encoder;

    AlacJob(const std::string& input, const std::string& options)
    {
        encoder.InputFile = testaudio::Get(input);
        encoder.OutputFile = folder / "-out 'x' $OUTFILE.m4a";
        encoder.OutputFormat = engine::FormatAlac;
        encoder.Options = options;
    }
};

}  // namespace

TEST(EncodeAlac, MonoAndStereoKeepTheirRateAndEverySample)
{
    for (const char* input : {"mono22050.wav", "stereo.wav"}) {
        SCOPED_TRACE(input);
        AlacJob job(input, "-compression_level 1");
        ASSERT_TRUE(job.encoder.EncodeAlac()) << job.encoder.ErrorText;
        EXPECT_EQ(job.encoder.Percent, 100);
        const fs::path& output = job.encoder.OutputFile;
        EXPECT_EQ(testaudio::Probe(output, "codec_name"), "alac");
        EXPECT_EQ(testaudio::Probe(output, "sample_rate"), testaudio::Probe(job.encoder.InputFile, "sample_rate"));
        EXPECT_EQ(testaudio::Probe(output, "channels"), testaudio::Probe(job.encoder.InputFile, "channels"));
        EXPECT_EQ(testaudio::DecodeS16(output), testaudio::DecodeS16(job.encoder.InputFile));
    }
}

TEST(EncodeAlac, OptionsTheEncoderWouldIgnoreFailTheJobNamingThem)
{
    for (const char* options : {"-no_such_option 3", "-compression_level", "compression_level 1"}) {
        SCOPED_TRACE(options);
        AlacJob job("stereo.wav", options);
        EXPECT_FALSE(job.encoder.EncodeAlac());
        EXPECT_EQ(job.encoder.ErrorText,
                  std::string("The Apple Lossless encoder refuses the options \"") + options + "\"");
    }
}
