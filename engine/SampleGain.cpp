// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SampleGain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/SamplePacking.h"

namespace engine {

namespace {

double FullScaleOf(int width)
{
    return std::ldexp(1.0, 8 * width - 1);
}

}  // namespace

double PeakOf(const void* pcm, std::size_t bytes, int width)
{
    const auto* data = static_cast<const std::uint8_t*>(pcm);
    std::int64_t peak = 0;
    for (std::size_t i = 0; i + std::size_t(width) <= bytes; i += std::size_t(width))
        peak = std::max(peak, std::abs(std::int64_t(LoadSample(data + i, width))));
    return double(peak) / FullScaleOf(width);
}

void ApplyGain(void* pcm, std::size_t bytes, double gain, int width)
{
    auto* data = static_cast<std::uint8_t*>(pcm);
    const double top = FullScaleOf(width);
    for (std::size_t i = 0; i + std::size_t(width) <= bytes; i += std::size_t(width)) {
        const double scaled = std::nearbyint(double(LoadSample(data + i, width)) * gain);
        StoreSample(data + i, std::int32_t(std::clamp(scaled, -top, top - 1)), width);
    }
}

}  // namespace engine
