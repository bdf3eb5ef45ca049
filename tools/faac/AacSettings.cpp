// SPDX-License-Identifier: GPL-3.0-or-later
#include "faac/AacSettings.h"

#include "wavio/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace faac {
namespace {

// Quality (10..500, 100 the usual) maps to an average bit rate: 100 gives
// 64 kbit/s a channel and the rate grows in proportion, within the range
// where the encoder sounds sane.
int KbitForQuality(int quality) { return std::clamp(quality * 64 / 100, 16, 256); }

std::string LowerExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

bool Apply(AacSettings& settings, const std::string& name, const std::string& value, std::string& error)
{
    std::optional<int> number;
    if (name == "-q" && (number = wavio::ParseInteger(value, 10, 500)))
        settings.kbitPerChannel = KbitForQuality(*number);
    else if (name == "-b" && (number = wavio::ParseInteger(value, 8, 576)))
        settings.kbitPerChannel = *number;
    else if (name == "-c" && (number = wavio::ParseInteger(value, 1000, 96000)))
        settings.cutoffHz = *number;
    else if (name == "--mpeg-vers" && (value == "2" || value == "4"))
        settings.mpegVersion = value == "2" ? 2 : 4;
    else if (name == "-o")
        settings.output = value;
    else if (name == "-w")
        settings.forceMp4 = true;
    else if (name == "--tns" || name == "--no-tns")
        settings.tns = name == "--tns";
    else if (name == "--no-midside")
        settings.midSide = false;
    else if (name == "--ignore-length")
        settings.ignoreLength = true;
    else {
        error = "invalid value for " + name + ": " + value;
        return false;
    }
    return true;
}

}  // namespace

std::optional<AacSettings> ParseAacSettings(int argc, char** argv, std::string& error)
{
    const std::vector<wavio::OptionSpec> specs = {
        {"-q", true}, {"-b", true}, {"-c", true}, {"--mpeg-vers", true}, {"-o", true},
        {"-w", false}, {"--tns", false}, {"--no-tns", false}, {"--no-midside", false},
        {"--ignore-length", false},
    };
    AacSettings settings;
    const auto files =
        wavio::ParseCommandLine(argc, argv, specs, 1, std::bind_front(Apply, std::ref(settings)), error);
    if (!files)
        return std::nullopt;
    if (settings.output.empty()) {
        error = "missing -o OUTFILE";
        return std::nullopt;
    }
    settings.input = files->front();
    return settings;
}

const char* MuxerName(const AacSettings& settings)
{
    const std::string extension = LowerExtension(settings.output);
    if (extension == ".m4a")
        return "ipod";
    if (extension == ".mp4" || settings.forceMp4)
        return "mp4";
    return "adts";
}

}  // namespace faac
