// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SampleGain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {

namespace {

std::int16_t SampleAt(const std::uint8_t* bytes)
{
    std::int16_t sample;
    std::memcpy(&sample, bytes, sizeof sample);
    return sample;
}

}  // namespace

double PeakOf(const void* pcm, std::size_t bytes)
{
    const auto* data = static_cast<const std::uint8_t*>(pcm);
    int peak = 0;
    for (std::size_t i = 0; i + 1 < bytes; i += 2)
        peak = std::max(peak, std::abs(int(SampleAt(data + i))));
    return peak / FullScale;
}

void ApplyGain(void* pcm, std::size_t bytes, double gain)
{
    auto* data = static_cast<std::uint8_t*>(pcm);
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        const double scaled = std::nearbyint(double(SampleAt(data + i)) * gain);
        const auto sample = std::int16_t(std::clamp(scaled, -32768.0, 32767.0));
        std::memcpy(data + i, &sample, sizeof sample);
    }
}

}  // namespace engine
