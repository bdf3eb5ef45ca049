// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Normalising: one gain, up or down, that puts a decode's highest sample at
// a chosen share of full scale. The peak is known only after a whole
// decode, so a measuring pass over the stream comes first.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "engine/AudioLibrary.h"

namespace engine {

// Called after each block of a measuring pass with the share done, 0 to 1.
using PeakProgress = std::function<void(double)>;

// Reads the stream to its end and returns the highest absolute sample it
// delivered as a fraction of full scale (0 for silence). Nothing when
// cancelled is seen set or a read fails.
std::optional<double> MeasurePeak(AudioLibrary::Handle stream, const std::atomic<bool>& cancelled,
                                  const PeakProgress& progress = {});

// The samples a decode delivers (AudioLibrary::ChannelSetSampleFormat).
struct SampleShape {
    std::uint32_t bits = 16;
    bool keepChannels = false;
};

// The same for a file opened at outputRate (0: the source's own) and shape,
// so the pass hears exactly what the decode will deliver. Nothing too when
// no decoder opens the file.
std::optional<double> MeasureFilePeak(const std::filesystem::path& path, std::uint32_t outputRate,
                                      const std::atomic<bool>& cancelled, const PeakProgress& progress = {},
                                      const SampleShape& shape = {});

// The gain that brings peak to percent % of full scale, percent taken
// within 1 to 100; 1.0 for silence.
double NormalizeGain(double peak, int percent);

}  // namespace engine
