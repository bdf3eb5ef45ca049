// SPDX-License-Identifier: GPL-3.0-or-later
// tremolix-cli probe FILE...: the file list's view of each input.

#include <algorithm>
#include <atomic>
#include <iostream>

#include "cli/FileArguments.h"
#include "cli/LoudnessReport.h"
#include "cli/Output.h"
#include "cli/Verb.h"
#include "engine/AudioLibrary.h"
#include "engine/Encoder.h"
#include "engine/FormatTable.h"
#include "engine/Loudness.h"
#include "tags/TagInfo.h"

namespace {

std::string InputFormatText(const TAudioProperty& property)
{
    return "Bitrate: " + std::to_string(property.Bitrate) + "Kbps Channel: " +
           (property.Channels == 1 ? "mono" : "stereo") +
           " SampleRate: " + std::to_string(property.SampleRate) + "hz";
}

void PrintProperty(bool json, const std::string& file, const TAudioProperty& property)
{
    if (!json) {
        std::cout << cli::Escaped(file) << '\t' << InputFormatText(property) << '\t' << property.Duration << '\t'
                  << property.Size << '\n';
        return;
    }
    cli::PrintJsonLine({{"file", cli::JsonText(file)},
                        {"format", cli::JsonText(property.Kind)},
                        {"bitrate", property.Bitrate},
                        {"channels", property.Channels},
                        {"sampleRate", property.SampleRate},
                        {"duration", property.Milliseconds / 1000.0},
                        {"size", qint64(property.Bytes)}});
}

// Why the decoders refused the file: the path's own problem (missing, a
// folder) says more than their failure does.
std::string OpenProblem(const std::string& file)
{
    if (std::string problem = TagFileProblem(file); !problem.empty())
        return problem;
    return AudioLibrary::ErrorGetCode() == AudioLibrary::ErrorFileOpen ? "cannot be opened" : "no decoder reads it";
}

// A whole decode of the file; false when it does not decode.
bool PrintLoudness(bool json, const std::string& file)
{
    const std::atomic<bool> never{false};
    const auto meter = engine::MeasureFileLoudness(file, never, engine::PeakKind::True);
    const auto level = meter ? meter->Result() : std::nullopt;
    if (!level)
        return false;
    if (json) {
        QJsonObject object{{"file", cli::JsonText(file)}};
        cli::AddLoudnessJson(object, *level);
        cli::PrintJsonLine(object);
    } else {
        std::cout << cli::Escaped(file) << '\t' << cli::LoudnessText(*level) << '\n';
    }
    return true;
}

// Shows each file, or with json the error object of one no decoder opens;
// returns those files.
std::vector<std::string> ProbeFiles(TEncoder& encoder, const cli::FileArguments& arguments, bool loudness)
{
    std::vector<std::string> failed;
    for (const std::string& file : arguments.files) {
        TAudioProperty property;
        if (loudness ? PrintLoudness(arguments.json, file) : encoder.OpenInput(file, 0, true, &property) != 0) {
            if (!loudness)
                PrintProperty(arguments.json, file, property);
            continue;
        }
        failed.push_back(file);
        if (arguments.json)
            cli::ReportFileProblem(true, file, OpenProblem(file));
    }
    return failed;
}

// The plain list has the form of the main window's warning.
void PrintFailedList(const std::vector<std::string>& failed)
{
    std::cerr << "Files open failed:\n";
    for (const std::string& file : failed)
        std::cerr << cli::Escaped(file) << '\n';
}

int Probe(const std::vector<std::string>& args)
{
    // --loudness is an option only before "--".
    std::vector<std::string> rest = args;
    const auto end = std::find(rest.begin(), rest.end(), "--");
    const auto option = std::find(rest.begin(), end, "--loudness");
    const bool loudness = option != end;
    if (loudness)
        rest.erase(option);
    cli::FileArguments arguments;
    if (std::string problem; !cli::ParseFileArguments(rest, false, arguments, problem))
        return cli::UsageError("probe", problem);
    if (arguments.files.empty())
        return cli::UsageError("probe", "no FILE given");
    std::vector<std::string> failed;
    try {
        TEncoder encoder;
        failed = ProbeFiles(encoder, arguments, loudness);
    } catch (const EncoderError& error) {
        std::cerr << error.what() << '\n';
        return cli::ExitFailed;
    }
    if (failed.empty())
        return cli::ExitOk;
    if (!arguments.json)
        PrintFailedList(failed);
    return cli::ExitFailed;
}

const cli::VerbRegistration registration(
    {"probe", "[--json] [--loudness] FILE...",
     "  One line per FILE: its name, bitrate, channels and sample rate, duration and size,\n"
     "  tab-separated, as the file list shows them. The files no decoder opens follow on\n"
     "  the error stream, one name a line under \"Files open failed:\"; the exit status is 1.\n"
     "  --json  one JSON object per file instead: file, format, bitrate (kbit/s),\n"
     "          channels, sampleRate (Hz), duration (seconds), size (bytes), or file\n"
     "          and error\n"
     "  --loudness  decodes each FILE whole and shows its integrated loudness (EBU R128),\n"
     "          true peak and ReplayGain 2.0 gain instead (\"silent: no gain\" for silence);\n"
     "          with --json: file, loudness (LUFS), truePeak (linear), truePeakDb, gain (dB)\n"
     "  --      every later argument is a FILE, even one beginning with \"-\"\n",
     Probe, true});

}  // namespace
