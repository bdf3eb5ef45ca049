// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the command line asks of the WAV conversion; 0 keeps the input's value.

#include <filesystem>
#include <optional>
#include <string>

namespace ssrc {

struct WavSettings {
    int sampleRate = 0;
    int bits = 0;      // 8, 16 or 24
    int channels = 0;  // 1 or 2
    bool dither = true;  // TPDF dither when the bit depth goes down
    bool quiet = false;
    bool ignoreLength = false;  // read the input to its end, whatever its header says
    std::filesystem::path input;
    std::filesystem::path output;
};

// Settings, or nothing with the reason in error.
std::optional<WavSettings> ParseWavSettings(int argc, char** argv, std::string& error);

}  // namespace ssrc
