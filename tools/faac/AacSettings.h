// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the command line asks of the AAC encoder.

#include <filesystem>
#include <optional>
#include <string>

namespace faac {

struct AacSettings {
    int kbitPerChannel = 64;  // the default quality 100
    int cutoffHz = 0;         // 0: the encoder's own choice
    bool forceMp4 = false;
    int mpegVersion = 4;      // the ADTS header's id bit
    bool tns = true;
    bool midSide = true;
    bool ignoreLength = false;  // read the input to its end, whatever its header says
    std::filesystem::path output;
    std::filesystem::path input;
};

// Settings, or nothing with the reason in error.
std::optional<AacSettings> ParseAacSettings(int argc, char** argv, std::string& error);

// The libavformat muxer: "ipod" for ".m4a", "mp4" for ".mp4" or with -w,
// otherwise "adts".
const char* MuxerName(const AacSettings& settings);

}  // namespace faac
