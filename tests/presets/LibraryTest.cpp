// SPDX-License-Identifier: GPL-3.0-or-later
// Every shipped preset of the external-program formats, run through the
// real program on a short WAV, must give a decodable file.

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include "engine/Encoder.h"
#include "platform/IniFile.h"
#include "presets/LameOptions.h"
#include "presets/PresetCatalogue.h"
#include "presets/PresetFolder.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace {

fs::path Library() { return testaudio::BuildProgramFolder() / "Preset"; }

// Half a second of tone keeps the walk over every preset quick.
const fs::path& ShortWav()
{
    static testsupport::TempFolder folder;
    static const fs::path wav = [] {
        const fs::path path = folder / "short.wav";
        testaudio::MakeToneWav(path, 44100, 2, 0.5);
        return path;
    }();
    return wav;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    for (const QString& word : QString::fromStdString(text).split(' ', Qt::SkipEmptyParts))
        words.push_back(word.toStdString());
    return words;
}

// The format's command template with the system program and the two paths.
std::vector<std::string> CommandLine(std::uint8_t format, const std::string& program, const std::string& options,
                                     const fs::path& in, const fs::path& out)
{
    std::vector<std::string> argv;
    for (const auto& word : Words(engine::Row(format).commandTemplate)) {
        if (word == "$PATH")
            argv.push_back(program);
        else if (word == "$OPTIONS")
            for (const auto& option : Words(options))
                argv.push_back(option);
        else if (word == "$INFILE")
            argv.push_back(in.string());
        else if (word == "$OUTFILE")
            argv.push_back(out.string());
        else
            argv.push_back(word);
    }
    return argv;
}

void ExpectDecodable(std::uint8_t format, const std::string& program, const std::string& name,
                     const std::string& options)
{
    testsupport::TempFolder folder;
    const fs::path out = folder / (std::string("out") + engine::Row(format).extension);
    std::string output;
    const int rc = testaudio::Run(CommandLine(format, program, options, ShortWav(), out), &output);
    EXPECT_EQ(rc, 0) << name << ": " << options << "\n" << output;
    // lame accepts switches it ignores; a preset must use none of them.
    for (const char* ignored : {"ignoring", "obsolete"})
        EXPECT_EQ(output.find(ignored), std::string::npos) << name << ": " << output;
    EXPECT_FALSE(testaudio::DecodeS16(out).empty()) << name << ": " << options;
}

std::vector<std::pair<std::string, std::string>> IniPresets(const std::string& folder)
{
    const fs::path ini = presets::PresetPath(testaudio::BuildProgramFolder(), {folder, "presets.ini"});
    std::vector<std::pair<std::string, std::string>> list;
    for (const auto& name : presets::PresetNamesInIni(ini))
        list.emplace_back(name, platform::IniFile::ReadString(ini, "Audio", name, ""));
    return list;
}

}  // namespace

TEST(ShippedPresets, EveryFormatListsPresetsThatLoad)
{
    for (const char* entry : engine::DisplayNamesInListOrder()) {
        TPresetSelection state;
        const auto listing = presets::FillPresetList(testaudio::BuildProgramFolder(), entry, state);
        EXPECT_TRUE(listing.ErrorText.empty()) << entry;
        EXPECT_GE(listing.Names.size(), 3u) << entry;
        for (const auto& name : listing.Names) {
            TMP3Settings mp3;
            EXPECT_EQ(presets::LoadSelectedPreset(testaudio::BuildProgramFolder(), state, name, mp3), "")
                << entry << ": " << name;
        }
    }
}

TEST(ShippedPresets, Mp3PresetsRunThroughLame)
{
    const auto files = presets::ListPresetTree(Library() / "MP3");
    ASSERT_GE(files.size(), 9u);
    for (const auto& file : files) {
        TMP3Settings settings;
        ReadMp3Preset(file, settings);
        ExpectDecodable(0, "lame", file.filename().string(), BuildLameOptions(settings));
    }
}

TEST(ShippedPresets, PresetsOfTheSystemProgramsRunThroughThem)
{
    const std::tuple<const char*, std::uint8_t, const char*> formats[] = {
        {"Ogg vorbis", 1, "oggenc"}, {"FLAC", 3, "flac"}, {"MPC", 7, "mpcenc"},
        {"Opus", engine::FormatOpus, "opusenc"}, {"WavPack", engine::FormatWavPack, "wavpack"}};
    for (const auto& [folder, format, program] : formats)
        for (const auto& [name, options] : IniPresets(folder))
            ExpectDecodable(format, program, name, options);
}

TEST(ShippedPresets, WmaPresetsUseRatesTheEncoderOffers)
{
    for (const auto& file : presets::ListPresetTree(Library() / "WMA")) {
        const TWmaValues values = presets::ReadWmaPreset(file);
        std::vector<std::string> rates;
        std::string error;
        ASSERT_TRUE(TEncoder::GetWmaRates(values.SampleRate, rates, values.Vbr, error)) << file << error;
        const std::string wanted = std::to_string(values.Bitrate) + (values.Vbr ? "" : "Kbps");
        EXPECT_NE(std::find(rates.begin(), rates.end(), wanted), rates.end()) << file;
    }
}

TEST(PresetsVerb, ListsTheNamesOfAFormatAndRefusesUnknownOnes)
{
    const std::string cli = (testaudio::BuildProgramFolder() / "tremolix-cli").string();
    std::string output;
    ASSERT_EQ(testaudio::Run({cli, "presets", "ogg VORBIS"}, &output), 0) << output;
    std::string expected;
    for (const auto& [name, options] : IniPresets("Ogg vorbis"))
        expected += name + "\n";
    EXPECT_EQ(output, expected);
    EXPECT_EQ(testaudio::Run({cli, "presets", "Speex"}, &output), 2);
    EXPECT_EQ(testaudio::Run({cli, "presets"}, &output), 2);
}
