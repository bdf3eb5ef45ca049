// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include <QStandardPaths>
#include <algorithm>
#include <thread>

#include "engine/FormatTable.h"
#include "platform/IniFile.h"

namespace app {
namespace {

const char* const OptionsSection = "Options";
const char* const PresetSection = "PresetLists";

std::string ColumnKey(int column) { return "Column" + std::to_string(column); }
std::string PresetKey(int position) { return "Preset" + std::to_string(position); }

std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

TGlobaVariant ReadRecord(const platform::IniFile& ini)
{
    const TGlobaVariant defaults;
    TGlobaVariant record;
    const auto integer = [&](const char* key, std::int32_t fallback) {
        return ini.ReadInteger(OptionsSection, key, fallback);
    };
    record.TargetFolder = ini.ReadString(OptionsSection, "TargetFolder", DefaultTargetFolder());
    record.OutFormat = ini.ReadString(OptionsSection, "OutFormat", DefaultOutFormat);
    record.Outconfig = ini.ReadString(OptionsSection, "Outconfig", DefaultMp3Preset);
    record.AdjustVolume = integer("AdjustVolume", defaults.AdjustVolume) != 0;
    record.AdjustVolumeValue = integer("AdjustVolumeValue", defaults.AdjustVolumeValue);
    record.SaveTag = integer("SaveTag", defaults.SaveTag) != 0;
    record.DeleteOriginalFile = integer("DeleteOriginalFile", defaults.DeleteOriginalFile) != 0;
    record.ThreadPriority = integer("ThreadPriority", defaults.ThreadPriority);
    record.CanDoEvent = integer("CanDoEvent", defaults.CanDoEvent) != 0;
    record.FinishDoEvent = LowByte(integer("FinishDoEvent", defaults.FinishDoEvent));
    record.WhenFileExist = LowByte(integer("WhenFileExist", defaults.WhenFileExist));
    record.OutputFileMode = LowByte(integer("OutputFileMode", defaults.OutputFileMode));
    record.Prefix = ini.ReadString(OptionsSection, "Prefix", "");
    // A count no run could use is a slip of the hand: fall back to the cores.
    record.SimultaneousJobs = integer("SimultaneousJobs", defaults.SimultaneousJobs);
    if (record.SimultaneousJobs < MinSimultaneousJobs || record.SimultaneousJobs > MaxSimultaneousJobs)
        record.SimultaneousJobs = defaults.SimultaneousJobs;
    record.PortableFileNames = integer("PortableFileNames", defaults.PortableFileNames) != 0;
    // Values a later build may add read as off here.
    record.ReplayGain = LowByte(integer("ReplayGain", defaults.ReplayGain));
    if (record.ReplayGain > 2)
        record.ReplayGain = defaults.ReplayGain;
    record.NormalizeLoudness = LowByte(integer("NormalizeLoudness", defaults.NormalizeLoudness));
    if (record.NormalizeLoudness > 2)
        record.NormalizeLoudness = defaults.NormalizeLoudness;
    record.LoudnessTarget = integer("LoudnessTarget", defaults.LoudnessTarget);
    if (record.LoudnessTarget < MinLoudnessTarget || record.LoudnessTarget > MaxLoudnessTarget)
        record.LoudnessTarget = defaults.LoudnessTarget;
    return record;
}

void WriteRecord(platform::IniFile& ini, const TGlobaVariant& record)
{
    ini.WriteString(OptionsSection, "TargetFolder", record.TargetFolder);
    ini.WriteString(OptionsSection, "OutFormat", record.OutFormat);
    ini.WriteString(OptionsSection, "Outconfig", record.Outconfig);
    ini.WriteBool(OptionsSection, "AdjustVolume", record.AdjustVolume);
    ini.WriteInteger(OptionsSection, "AdjustVolumeValue", record.AdjustVolumeValue);
    ini.WriteBool(OptionsSection, "SaveTag", record.SaveTag);
    ini.WriteBool(OptionsSection, "DeleteOriginalFile", record.DeleteOriginalFile);
    ini.WriteInteger(OptionsSection, "ThreadPriority", record.ThreadPriority);
    ini.WriteBool(OptionsSection, "CanDoEvent", record.CanDoEvent);
    ini.WriteInteger(OptionsSection, "FinishDoEvent", record.FinishDoEvent);
    ini.WriteInteger(OptionsSection, "WhenFileExist", record.WhenFileExist);
    ini.WriteInteger(OptionsSection, "OutputFileMode", record.OutputFileMode);
    ini.WriteString(OptionsSection, "Prefix", record.Prefix);
    ini.WriteInteger(OptionsSection, "SimultaneousJobs", record.SimultaneousJobs);
    ini.WriteBool(OptionsSection, "PortableFileNames", record.PortableFileNames);
    ini.WriteInteger(OptionsSection, "ReplayGain", record.ReplayGain);
    ini.WriteInteger(OptionsSection, "NormalizeLoudness", record.NormalizeLoudness);
    ini.WriteInteger(OptionsSection, "LoudnessTarget", record.LoudnessTarget);
}

}  // namespace

std::int32_t DefaultSimultaneousJobs()
{
    const auto cores = static_cast<std::int32_t>(std::thread::hardware_concurrency());
    return std::clamp(cores, MinSimultaneousJobs, MaxSimultaneousJobs);
}

std::string DefaultTargetFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation).toStdString();
}

StoredSettings ReadSettings(const std::filesystem::path& settingsFile)
{
    const platform::IniFile ini(settingsFile);
    StoredSettings settings;
    settings.Options = ReadRecord(ini);
    settings.ResultFontColor = ini.ReadInteger(OptionsSection, "ResultFontColor", DefaultResultColor);
    for (int column = 0; column < ColumnCount; ++column)
        settings.ColumnWidths[column] = ini.ReadInteger(OptionsSection, ColumnKey(column), DefaultColumnWidths[column]);
    const int mp3Position = engine::ListPositionOfFormatIndex(0);
    for (int position = 0; position < PresetListCount; ++position)
        settings.PresetLists[position] =
            ini.ReadString(PresetSection, PresetKey(position), position == mp3Position ? DefaultMp3Preset : "");
    return settings;
}

bool WriteSettings(const std::filesystem::path& settingsFile, const StoredSettings& settings)
{
    platform::IniFile ini(settingsFile);
    WriteRecord(ini, settings.Options);
    ini.WriteInteger(OptionsSection, "ResultFontColor", settings.ResultFontColor);
    for (int column = 0; column < ColumnCount; ++column)
        ini.WriteInteger(OptionsSection, ColumnKey(column), settings.ColumnWidths[column]);
    for (int position = 0; position < PresetListCount; ++position)
        ini.WriteString(PresetSection, PresetKey(position), settings.PresetLists[position]);
    return ini.Save();
}

}  // namespace app
