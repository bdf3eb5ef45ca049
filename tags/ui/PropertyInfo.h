// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The summary texts of one file as the tag editor shows them.

#include <QIcon>
#include <QString>
#include <filesystem>
#include <string>

class TEncoder;

struct TPropertyInfo {
    std::string KindText;
    std::string DurationText;
    std::string SampleRateText;
    std::string BitRateText;
    std::string ChannelsText;
    std::string FileSizeText;
    std::string ModifiedText;
    std::string AccessedText;
};

// Audio properties come from the engine (none when it is null or no
// decoder reads the file); times are the stored UTC times.
TPropertyInfo ReadPropertyInfo(TEncoder* engine, const std::filesystem::path& path);

// The desktop's name and icon for the file's type.
QString ShellTypeName(const std::filesystem::path& path);
QIcon ShellTypeIcon(const std::filesystem::path& path);
