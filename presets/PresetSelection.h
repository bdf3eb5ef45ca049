// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the main window has chosen for a batch run: the output format, the
// options text of its preset or, for WMA, the four job values.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/FormatTable.h"

struct TWmaValues {
    std::int32_t SampleRate = 44100;
    std::int32_t Channels = 2;
    std::int32_t Bitrate = 128;  // kbit/s, or the quality level with Vbr
    bool Vbr = false;
};

struct TPresetSelection {
    std::uint8_t CurrentFormat = engine::NoFormat;
    std::string CurrentOptions;
    // The preset folder (MP3, WMA) or the format's presets.ini.
    std::filesystem::path PresetLocation;
    TWmaValues CurrentWma;
    // Last preset chosen per format list position.
    std::array<std::string, engine::FormatCount> PresetLists;
    // The chosen format's presets.ini when it exists.
    std::filesystem::path PresetFile;
};
