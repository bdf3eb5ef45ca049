// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Integrated loudness (ITU-R BS.1770-4 / EBU R128, gated) and true peak of
// decoded audio, measured by libebur128 from the frames a decode already
// produces: at the source's rate, before any resampling or gain.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "engine/AudioLibrary.h"

struct AVFrame;

namespace engine {

// The sample peak is what ReplayGain peak values have always held and costs
// next to nothing; the true peak (4x oversampled below 96 kHz) is what a
// gain must keep below a ceiling, and costs as much as the rest together.
enum class PeakKind : std::uint8_t { Sample, True };

struct Loudness {
    // LUFS; -infinity for silence (nothing above the absolute gate).
    double integrated = 0;
    // Linear, 1.0 = full scale.
    double peak = 0;
    PeakKind kind = PeakKind::True;
    bool Silent() const;
};

class LoudnessMeter {
public:
    // channels: how many the decode delivers; the frames are mixed to that
    // many as the decode mixes them, so the measure is of what is encoded.
    LoudnessMeter(int channels, PeakKind kind);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Any sample format, layout and rate; false when it cannot be measured
    // (the meter is then failed for good).
    bool Add(const AVFrame& frame);
    bool Failed() const { return failed_; }
    // Nothing when failed or before the first frame.
    std::optional<Loudness> Result() const;

private:
    friend std::optional<Loudness> CombinedLoudness(const std::vector<const LoudnessMeter*>& meters);
    struct Parts;
    bool Prepare(const AVFrame& frame);

    int channels_;
    PeakKind kind_;
    int rate_ = 0;
    int format_ = -1;
    int inputChannels_ = 0;
    bool failed_ = false;
    std::unique_ptr<Parts> parts_;
    std::vector<float> buffer_;
};

// The gain in dB that brings level to target LUFS, lowered where needed so
// that the true peak stays below ceiling dBTP (by 0.1 dB); 0 for silence.
double LoudnessGainDb(const Loudness& level, double target, double ceiling = -1.0);

// The meters' audio taken as one programme (an album); the peak is the
// highest of them. Nothing when any is failed or empty.
std::optional<Loudness> CombinedLoudness(const std::vector<const LoudnessMeter*>& meters);

// Makes an open decode stream feed meter with every frame it decodes from
// now on; false for a handle that is no decode stream or already started.
bool MeasureWhileDecoding(AudioLibrary::Handle channel, std::shared_ptr<LoudnessMeter> meter);

// A whole measuring decode of a file, for when the level must be known
// before the encode starts. Nothing when no decoder opens it, a read fails
// or cancelled is seen set.
std::shared_ptr<LoudnessMeter> MeasureFileLoudness(const std::filesystem::path& file,
                                                   const std::atomic<bool>& cancelled, PeakKind kind);

}  // namespace engine
