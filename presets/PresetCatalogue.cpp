// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/PresetCatalogue.h"

#include <QString>
#include <fstream>
#include <optional>
#include <system_error>

#include "platform/IniFile.h"
#include "presets/LameOptions.h"
#include "presets/PresetCheck.h"
#include "presets/PresetFolder.h"

namespace fs = std::filesystem;
using platform::IniFile;

namespace presets {
namespace {

constexpr const char* Section = "Audio";

std::string Trimmed(const std::string& text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

// The text less its last n characters.
std::string Chopped(const std::string& text, int n)
{
    QString q = QString::fromStdString(text);
    q.chop(n);
    return q.toStdString();
}

std::int32_t IntegerOr(const std::string& text, std::int32_t fallback)
{
    std::int32_t value = 0;
    return IniFile::ParseInteger(Trimmed(text), value) ? value : fallback;
}

bool IsFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool IsComment(const std::string& trimmedLine)
{
    return trimmedLine.starts_with(';') || trimmedLine.starts_with('#');
}

std::vector<std::string> PresetNamesInFolder(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& file : ListPresetTree(folder))
        if (std::string name = PresetNameOfFile(file); !name.empty())
            names.push_back(name);
    return names;
}

std::string LoadMp3Preset(const fs::path& programFolder, TPresetSelection& state,
                          const std::string& presetName, TMP3Settings& mp3)
{
    const auto file = FindPresetFile(Mp3PresetFolder(programFolder), presetName + ".ini");
    if (!file)
        return ReinstallText;
    ReadMp3Preset(*file, mp3);
    state.CurrentOptions = BuildLameOptions(mp3);
    return "";
}

std::string LoadWmaPreset(const fs::path& programFolder, TPresetSelection& state,
                          const std::string& presetName)
{
    const auto file = FindPresetFile(WmaPresetFolder(programFolder), presetName + ".ini");
    if (!file)
        return ReinstallText;
    state.CurrentWma = ReadWmaPreset(*file);
    return "";
}

std::string LoadIniPreset(TPresetSelection& state, const std::string& presetName)
{
    state.CurrentOptions.clear();
    if (!IsFile(state.PresetLocation))
        return ReinstallText;
    ReadPresetFile(state.PresetLocation, [&](const IniFile& ini) {
        state.CurrentOptions = ini.ReadString(Section, presetName, "");
    });
    return state.CurrentOptions.empty() ? InvalidPresetText(state.PresetLocation) : "";
}

}  // namespace

std::string InvalidPresetText(const fs::path& presetsIni)
{
    return "The preset file\r\n" + presetsIni.string() + "\r\nis invalid!";
}

std::string ShortName(const std::string& formatEntry)
{
    return Trimmed(formatEntry.substr(0, formatEntry.find('(')));
}

std::uint8_t FormatIndexOfShortName(const std::string& shortName)
{
    for (const engine::Format format : engine::AllFormats)
        if (SameTextIgnoringCase(shortName, engine::Row(format).shortName))
            return format;
    return engine::NoFormat;
}

bool HasOptionDialog(std::uint8_t formatIndex) { return formatIndex == engine::FormatMp3 || formatIndex == engine::FormatWma; }

fs::path Mp3PresetFolder(const fs::path& programFolder) { return PresetPath(programFolder, {"mp3"}); }

fs::path WmaPresetFolder(const fs::path& programFolder) { return PresetPath(programFolder, {"wma"}); }

std::vector<std::string> PresetNamesInIni(const fs::path& presetsIni)
{
    std::vector<std::string> names;
    std::ifstream in(presetsIni, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos || IsComment(Trimmed(line)))
            continue;
        names.push_back(Trimmed(line.substr(0, equals)));
    }
    return names;
}

PresetListing FillPresetList(const fs::path& programFolder, const std::string& formatEntry,
                             TPresetSelection& state)
{
    PresetListing listing;
    const std::string shortName = ShortName(formatEntry);
    const std::uint8_t index = FormatIndexOfShortName(shortName);
    if (HasOptionDialog(index)) {
        state.PresetLocation = PresetPath(programFolder, {shortName});
        state.CurrentFormat = index;
        listing.Names = PresetNamesInFolder(state.PresetLocation);
        return listing;
    }
    if (index != engine::NoFormat)
        state.CurrentFormat = index;
    state.PresetLocation = PresetPath(programFolder, {shortName, "presets.ini"});
    state.PresetFile.clear();
    if (!IsFile(state.PresetLocation)) {
        listing.ErrorText = ReinstallText;
        return listing;
    }
    state.PresetFile = state.PresetLocation;
    listing.Names = PresetNamesInIni(state.PresetLocation);
    return listing;
}

std::string LoadSelectedPreset(const fs::path& programFolder, TPresetSelection& state,
                               const std::string& presetName, TMP3Settings& mp3)
{
    if (state.CurrentFormat == engine::FormatMp3)
        return LoadMp3Preset(programFolder, state, presetName, mp3);
    if (state.CurrentFormat == engine::FormatWma)
        return LoadWmaPreset(programFolder, state, presetName);
    return LoadIniPreset(state, presetName);
}

std::string PresetProblem(const fs::path& programFolder, const TPresetSelection& state,
                          const std::string& presetName)
{
    TPresetSelection scratch = state;
    TMP3Settings mp3;
    try {
        return LoadSelectedPreset(programFolder, scratch, presetName, mp3);
    } catch (const PresetError& error) {
        return PresetRefusal(presetName, error.what());
    }
}

TWmaValues ReadWmaPreset(const fs::path& path)
{
    TWmaValues values;
    ReadPresetFile(path, [&](const IniFile& ini) {
        int found = 0;
        const auto number = [&](const char* key, std::int32_t fallback) {
            const std::optional<std::int32_t> value = PresetInteger(ini, Section, key);
            found += value ? 1 : 0;
            return value.value_or(fallback);
        };
        values.SampleRate = number("Samplerate", 44100);
        values.Channels = number("Channel", 2);
        values.Bitrate = number("Bitrate", 128);
        values.Vbr = number("VBR", 0) == 1;
        if (found == 0)
            throw PresetError("it sets none of the WMA settings");
    });
    return values;
}

TWmaValues WmaValuesFromTexts(const std::string& sampleRate, const std::string& channel,
                              const std::string& bitrate, bool vbr, const TWmaValues& previous)
{
    TWmaValues values = previous;
    values.SampleRate = IntegerOr(Chopped(sampleRate, 2), 44100);
    if (SameTextIgnoringCase(channel, "stereo"))
        values.Channels = 2;
    else if (SameTextIgnoringCase(channel, "mono"))
        values.Channels = 1;
    values.Vbr = vbr;
    values.Bitrate = vbr ? IntegerOr(bitrate, 90) : IntegerOr(Chopped(bitrate, 4), 128);
    return values;
}

}  // namespace presets
