// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/LoudnessTools.h"

#include <cmath>
#include <vector>

#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace testaudio {

void MakeMusic(const fs::path& path, double seconds, double gainDb, int seed, int rate, int channels,
               const std::vector<std::string>& tags)
{
    const std::string length = std::to_string(seconds);
    const std::string chord =
        "aevalsrc=0.3*sin(2*PI*220*t)*(0.6+0.4*sin(2*PI*0.5*t))+0.2*sin(2*PI*330*t)|"
        "0.3*sin(2*PI*277*t)+0.15*sin(2*PI*440*t)*gte(t\\,3):d=" + length + ":s=" + std::to_string(rate);
    const std::string noise = "anoisesrc=d=" + length + ":c=pink:a=0.25:s=" + std::to_string(seed) +
                              ":r=" + std::to_string(rate);
    std::vector<std::string> argv = {
        "ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", noise, "-f", "lavfi", "-i", chord,
        "-filter_complex",
        "[0][1]amix=inputs=2:normalize=0,volume='if(between(t,4,6),0.02,1)':eval=frame,volume=" +
            std::to_string(gainDb) + "dB",
        "-ac", std::to_string(channels), "-ar", std::to_string(rate), "-sample_fmt", "s16"};
    for (const std::string& tag : tags)
        argv.insert(argv.end(), {"-metadata", tag});
    argv.push_back(path.string());
    Run(argv);
}

MeasuredLevel FfmpegLoudness(const fs::path& path)
{
    std::string output;
    Run({"ffmpeg", "-nostdin", "-nostats", "-i", path.string(), "-af",
         "ebur128=peak=true:metadata=1,ametadata=mode=print:key=lavfi.r128.I", "-f", "null", "-"},
        &output);
    MeasuredLevel level{std::nan(""), std::nan("")};
    // The last value covers the whole stream, at full precision.
    const std::string key = "lavfi.r128.I=";
    if (const std::size_t at = output.rfind(key); at != std::string::npos)
        level.integrated = std::stod(output.substr(at + key.size()));
    const std::size_t peaks = output.rfind("True peak:");
    const std::size_t peak = peaks == std::string::npos ? peaks : output.find("Peak:", peaks);
    if (peak != std::string::npos) {
        const std::string text = output.substr(peak + 5, 16);
        level.truePeakDb = text.find("-inf") != std::string::npos ? -INFINITY : std::stod(text);
    }
    return level;
}

}  // namespace testaudio
