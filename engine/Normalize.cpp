// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Normalize.h"

#include <algorithm>
#include <vector>

#include "engine/SampleGain.h"

namespace engine {

namespace {

// Larger than the decode phase's blocks: this pass only looks.
constexpr std::uint32_t MeasureBlockBytes = 65536;

}  // namespace

std::optional<double> MeasurePeak(AudioLibrary::Handle stream, const std::atomic<bool>& cancelled,
                                  const PeakProgress& progress)
{
    std::vector<std::uint8_t> block(MeasureBlockBytes);
    AudioLibrary::ChannelInfo info;
    AudioLibrary::ChannelGetInfo(stream, info);
    const int width = int(info.bits / 8);
    double peak = 0;
    while (AudioLibrary::ChannelIsActive(stream)) {
        if (cancelled)
            return std::nullopt;
        const std::int32_t got = AudioLibrary::ChannelGetData(stream, block.data(), MeasureBlockBytes);
        if (got < 0)
            return std::nullopt;
        peak = std::max(peak, PeakOf(block.data(), std::size_t(got), width));
        if (progress) {
            const std::uint64_t length = AudioLibrary::ChannelGetLength(stream);
            progress(length ? double(AudioLibrary::ChannelGetPosition(stream)) / double(length) : 1.0);
        }
    }
    if (cancelled || AudioLibrary::ErrorGetCode() != AudioLibrary::ErrorOk)
        return std::nullopt;
    return peak;
}

std::optional<double> MeasureFilePeak(const std::filesystem::path& path, std::uint32_t outputRate,
                                      const std::atomic<bool>& cancelled, const PeakProgress& progress,
                                      const SampleShape& shape)
{
    const AudioLibrary::Handle stream = AudioLibrary::StreamCreateFile(path, AudioLibrary::FlagDecodeOnly);
    if (stream == 0)
        return std::nullopt;
    std::optional<double> peak;
    if ((outputRate == 0 || AudioLibrary::ChannelSetOutputRate(stream, outputRate)) &&
        AudioLibrary::ChannelSetSampleFormat(stream, shape.bits, shape.keepChannels))
        peak = MeasurePeak(stream, cancelled, progress);
    AudioLibrary::StreamFree(stream);
    return peak;
}

double NormalizeGain(double peak, int percent)
{
    if (!(peak > 0))
        return 1.0;
    return std::clamp(percent, 1, 100) / 100.0 / peak;
}

}  // namespace engine
