// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The stream properties of a file, read by one ffprobe run.

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/TestAudio.h"

namespace mediaprobe {

struct Media {
    std::map<std::string, std::string> values;  // codec_name, channels, sample_rate, bit_rate
    double seconds = -1;

    std::string operator[](const std::string& key) const
    {
        const auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    }
};

inline Media Probe(const std::filesystem::path& path)
{
    std::string output;
    Media media;
    if (testaudio::Run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                        "stream=codec_name,channels,sample_rate,bit_rate:format=duration", "-of",
                        "default=noprint_wrappers=1", path.string()},
                       &output) != 0)
        return media;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            media.values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    const std::string duration = media["duration"];
    if (!duration.empty() && duration != "N/A")
        media.seconds = std::stod(duration);
    return media;
}

}  // namespace mediaprobe
