// SPDX-License-Identifier: GPL-3.0-or-later
// tremolix-cli probe FILE...: the file list's view of each input.

#include <iostream>

#include "cli/Verb.h"
#include "engine/Encoder.h"

namespace {

std::string InputFormatText(const TAudioProperty& property)
{
    return "Bitrate: " + std::to_string(property.Bitrate) + "Kbps Channel: " +
           (property.Channels == 1 ? "mono" : "stereo") +
           " SampleRate: " + std::to_string(property.SampleRate) + "hz";
}

// Prints each readable file's line; returns the files no decoder opens.
std::vector<std::string> ProbeFiles(TEncoder& encoder, const std::vector<std::string>& files)
{
    std::vector<std::string> failed;
    for (const std::string& file : files) {
        TAudioProperty property;
        if (encoder.OpenInput(file, 0, true, &property) == 0) {
            failed.push_back(file);
            continue;
        }
        std::cout << file << '\t' << InputFormatText(property) << '\t' << property.Duration << '\t'
                  << property.Size << '\n';
    }
    return failed;
}

int Probe(const std::vector<std::string>& args)
{
    if (args.empty())
        return cli::UsageError("probe", "no FILE given");
    std::vector<std::string> failed;
    try {
        TEncoder encoder;
        failed = ProbeFiles(encoder, args);
    } catch (const EncoderError& error) {
        std::cerr << error.what() << '\n';
        return cli::ExitFailed;
    }
    if (failed.empty())
        return cli::ExitOk;
    std::cerr << "Files open failed:\n";
    for (const std::string& file : failed)
        std::cerr << file << '\n';
    return cli::ExitFailed;
}

const cli::VerbRegistration registration("probe", "probe FILE...", Probe);

}  // namespace
