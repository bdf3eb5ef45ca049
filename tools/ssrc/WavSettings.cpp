// SPDX-License-Identifier: GPL-3.0-or-later
#include "ssrc/WavSettings.h"

#include "wavio/CommandLine.h"

#include <functional>

namespace ssrc {
namespace {

constexpr int MinRate = 1000;
constexpr int MaxRate = 768000;

bool Apply(WavSettings& settings, const std::string& name, const std::string& value, std::string& error)
{
    std::optional<int> number;
    if (name == "--rate" && (number = wavio::ParseInteger(value, MinRate, MaxRate)))
        settings.sampleRate = *number;
    else if (name == "--bits" && (value == "8" || value == "16" || value == "24"))
        settings.bits = *wavio::ParseInteger(value, 8, 24);
    else if (name == "--mono" || name == "--stereo")
        settings.channels = name == "--mono" ? 1 : 2;
    else if (name == "--dither" || name == "--nodither")
        settings.dither = name == "--dither";
    else if (name == "--quiet")
        settings.quiet = true;
    else if (name == "--ignore-length")
        settings.ignoreLength = true;
    else {
        error = "invalid value for " + name + ": " + value;
        return false;
    }
    return true;
}

}  // namespace

std::optional<WavSettings> ParseWavSettings(int argc, char** argv, std::string& error)
{
    const std::vector<wavio::OptionSpec> specs = {
        {"--rate", true}, {"--bits", true}, {"--mono", false}, {"--stereo", false},
        {"--dither", false}, {"--nodither", false}, {"--quiet", false}, {"--ignore-length", false},
    };
    WavSettings settings;
    const auto files =
        wavio::ParseCommandLine(argc, argv, specs, 2, std::bind_front(Apply, std::ref(settings)), error);
    if (!files)
        return std::nullopt;
    settings.input = (*files)[0];
    settings.output = (*files)[1];
    return settings;
}

}  // namespace ssrc
