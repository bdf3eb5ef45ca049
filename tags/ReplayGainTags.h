// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Loudness gain values in a file's tags, in the form each kind's readers
// expect: REPLAYGAIN_TRACK_GAIN "-6.54 dB" and REPLAYGAIN_TRACK_PEAK
// "0.988553" (album alike) as Vorbis and FLAC comments, APE items and ID3v2
// TXXX frames, as free-form MP4 atoms and WMA attributes in lower case; and
// for Opus only R128_TRACK_GAIN / R128_ALBUM_GAIN, Q7.8 decibels towards
// -23 LUFS on top of the stream's output gain.

#include <filesystem>
#include <optional>
#include <string>

namespace replaygain {

// The level that a ReplayGain 2.0 gain brings a file to.
constexpr double ReferenceLufs = -18.0;
// The level that Opus R128 gains bring a file to.
constexpr double OpusReferenceLufs = -23.0;

// A measure of the audio as the file holds it.
struct Level {
    double loudness = 0;  // LUFS, integrated
    double peak = 0;      // linear, 1.0 = full scale
};

struct GainTags {
    std::optional<Level> track;
    std::optional<Level> album;
    // Removes the values of a level not given: the audio changed, so what a
    // tag copy brought along no longer holds.
    bool dropOthers = false;
};

// "-6.54 dB", with "." whatever the locale.
std::string GainText(double loudness);
// "0.988553".
std::string PeakText(double peak);
// The Q7.8 value of an Opus R128 gain, within the 16 bits it has.
int R128Gain(double loudness);

// True for the kinds (by extension) whose tags can take the gains.
bool HoldsGainTags(const std::filesystem::path& file);

// Sets the given values in the file's tags (the others stay), rewriting it
// atomically unless nothing changes. kind names the file by its extension
// when the file's own name does not (a part file). Empty on success, else
// why not.
[[nodiscard]] std::string WriteGainTags(const std::filesystem::path& file, const GainTags& tags,
                                        const std::filesystem::path& kind = {});

}  // namespace replaygain
