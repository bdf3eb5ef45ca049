#include "ssrc/WavSettings.h"

#include "wavio/CommandLine.h"

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
        {"--dither", false}, {"--nodither", false}, {"--quiet", false},
    };
    const auto line = wavio::ParseCommandLine(argc, argv, specs, 2, error);
    if (!line)
        return std::nullopt;
    WavSettings settings;
    for (const auto& [name, value] : line->options)
        if (!Apply(settings, name, value, error))
            return std::nullopt;
    settings.input = line->files[0];
    settings.output = line->files[1];
    return settings;
}

}  // namespace ssrc
