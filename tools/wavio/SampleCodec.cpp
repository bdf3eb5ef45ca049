// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/SampleCodec.h"

#include <cstring>

namespace wavio {
namespace {

std::int32_t SignedLe(const std::uint8_t* at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    const int unused = 32 - 8 * bytes;
    return std::int32_t(value << unused) >> unused;
}

template <typename T>
T LoadFloat(const std::uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);  // this platform is little-endian
    return value;
}

}  // namespace

void DecodeSamples(const std::uint8_t* raw, std::size_t sampleCount, const WavFormat& format, float* out)
{
    const int bytes = format.BytesPerSample();
    if (format.kind == SampleKind::Float) {
        for (std::size_t i = 0; i < sampleCount; ++i, raw += bytes)
            out[i] = bytes == 4 ? LoadFloat<float>(raw) : float(LoadFloat<double>(raw));
        return;
    }
    if (bytes == 1) {
        for (std::size_t i = 0; i < sampleCount; ++i)
            out[i] = float(int(raw[i]) - 128) / 128.0f;
        return;
    }
    const double scale = 1.0 / double(1u << (8 * bytes - 1));
    for (std::size_t i = 0; i < sampleCount; ++i, raw += bytes)
        out[i] = float(SignedLe(raw, bytes) * scale);
}

}  // namespace wavio
