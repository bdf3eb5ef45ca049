// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "DecodeTestSupport.h"

namespace fs = std::filesystem;

namespace {

int Probe(const std::vector<std::string>& files, std::string& output)
{
    std::vector<std::string> argv{(testaudio::BuildProgramFolder() / "tremolix-cli").string(), "probe"};
    argv.insert(argv.end(), files.begin(), files.end());
    return testaudio::Run(argv, &output);
}

}  // namespace

TEST(ProbeVerb, PrintsTheInputFormatLineOfEachFile)
{
    const std::string mono = testaudio::Get("mono22050.wav").string();
    const std::string mp3 = testaudio::Get("tone.mp3").string();
    std::string output;
    ASSERT_EQ(Probe({mono, mp3}, output), 0) << output;
    EXPECT_NE(output.find(mono + "\tBitrate: 353Kbps Channel: mono SampleRate: 22050hz\t00:01.00\t"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find(mp3 + "\tBitrate: 1"), std::string::npos) << output;
    EXPECT_NE(output.find("Kbps Channel: stereo SampleRate: 44100hz\t00:02."), std::string::npos) << output;
    EXPECT_NE(output.find(" KB\n"), std::string::npos) << output;
}

TEST(ProbeVerb, ReportsFilesNoDecoderOpens)
{
    const testsupport::TempFolder folder;
    const std::string text = (folder / "--not audio.txt").string();
    decodetest::WriteFile(text, "just words");
    std::string output;
    EXPECT_EQ(Probe({text, testaudio::Get("tone.flac").string()}, output), 1);
    EXPECT_NE(output.find("Files open failed:\n" + text + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Channel: stereo"), std::string::npos) << output;
}
