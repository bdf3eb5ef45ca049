// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Music-like test audio and an independent loudness measure: the ffmpeg
// program's ebur128 filter.

#include <filesystem>
#include <string>
#include <vector>

namespace testaudio {

// Seconds of pink noise under a changing chord with a quiet passage, at
// gainDb, written by ffmpeg in the kind path's extension names. seed varies
// the noise; tags are "key=value" ffmpeg metadata options.
void MakeMusic(const std::filesystem::path& path, double seconds, double gainDb, int seed = 1,
               int rate = 44100, int channels = 2, const std::vector<std::string>& tags = {});

struct MeasuredLevel {
    double integrated = 0;  // LUFS; -70 or below for silence
    double truePeakDb = 0;  // dBTP, to 0.1 dB
};

// ffmpeg's measure of the file; NaN values when it could not measure.
MeasuredLevel FfmpegLoudness(const std::filesystem::path& path);

}  // namespace testaudio
