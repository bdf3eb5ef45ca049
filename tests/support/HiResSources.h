// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sources beyond 16-bit stereo made by the ffmpeg program at test time, and
// the samples an independent decoder (ffmpeg) reads from any file.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestAudio.h"

namespace hires {

// Distinct tones per channel, so a swapped or mixed channel shows.
inline std::string Tones(int channels)
{
    std::string expression;
    for (int c = 0; c < channels; ++c)
        expression += (c ? "|" : "") + std::to_string(0.6 - 0.05 * c) + "*sin(2*PI*" + std::to_string(220 + 110 * c) + "*t)";
    return expression;
}

// layout: an ffmpeg layout name ("stereo", "5.1", "7.1"), "" for none; codec: "pcm_s24le",
// "pcm_s16le", "pcm_s32le" or "pcm_f32le".
inline std::filesystem::path Make(const std::filesystem::path& path, const std::string& layout, int channels,
                                  int rate, const std::string& codec, double seconds = 1.0)
{
    testaudio::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                    "aevalsrc=" + Tones(channels) + ":s=" + std::to_string(rate) +
                        (layout.empty() ? "" : ":c=" + layout) + ":d=" + std::to_string(seconds),
                    "-c:a", codec, path.string()});
    return path;
}

// Every sample of the file's first audio stream as ffmpeg decodes it, left
// aligned in 32 bits (16- and 24-bit samples compare equal to themselves).
inline std::vector<std::int32_t> Samples32(const std::filesystem::path& path)
{
    std::string raw;
    testaudio::Run({"sh", "-c", "ffmpeg -nostdin -v error -i \"$0\" -f s32le - 2>/dev/null", path.string()}, &raw);
    std::vector<std::int32_t> samples(raw.size() / 4);
    std::memcpy(samples.data(), raw.data(), samples.size() * 4);
    return samples;
}

}  // namespace hires
