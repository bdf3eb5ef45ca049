// SPDX-License-Identifier: GPL-3.0-or-later
// The audio library's WMA encoder: FFmpeg's wmav2 in an ASF file.

#include "engine/AudioHandles.h"
#include "engine/AudioLibrary.h"
#include "engine/FileEncoder.h"

#include <array>
#include <memory>
#include <vector>

namespace AudioLibrary {

namespace {

using internal::SetError;

// Constant bit rates offered, bit/s: the usual WMA range, each kept only
// where the encoder accepts it for the sample rate.
constexpr std::array<std::uint32_t, 8> CbrRates = {32000, 48000, 64000, 80000, 96000, 128000, 160000, 192000};

// wmav2 has no VBR mode: each quality level stands for a bit rate. A rate
// argument of at most MaxQuality is taken as a quality level.
struct QualityRate {
    std::uint32_t quality;
    std::uint32_t bitrate;
};
constexpr std::array<QualityRate, 6> Qualities = {{
    {10, 48000}, {25, 64000}, {50, 96000}, {75, 128000}, {90, 160000}, {98, 192000}}};
constexpr std::uint32_t MaxQuality = 100;

std::uint32_t BitrateOf(std::uint32_t rate)
{
    if (rate > MaxQuality)
        return rate;
    for (const QualityRate& level : Qualities)
        if (rate <= level.quality)
            return level.bitrate;
    return Qualities.back().bitrate;
}

engine::FileEncoderSettings WmaSettings(std::uint32_t freq, std::uint32_t chans, std::uint32_t bitrate)
{
    engine::FileEncoderSettings settings;
    settings.codec = AV_CODEC_ID_WMAV2;
    settings.muxer = "asf";
    settings.sampleFormat = AV_SAMPLE_FMT_FLTP;
    settings.rate = freq;
    settings.channels = chans;
    settings.bitrate = BitrateOf(bitrate);
    return settings;
}

bool ValidShape(std::uint32_t freq, std::uint32_t chans)
{
    return freq > 0 && freq <= 1000000 && (chans == 1 || chans == 2);
}

int ErrorOf(engine::FileEncoder::OpenResult result)
{
    using Result = engine::FileEncoder::OpenResult;
    switch (result) {
    case Result::Ok:
        return ErrorOk;
    case Result::NoCodec:
        return ErrorNoWmaCodec;
    case Result::NotSupported:
        return ErrorNotSupported;
    case Result::FileOpen:
        return ErrorFileOpen;
    case Result::Failed:
        break;
    }
    return ErrorUnknown;
}

class WmaEncoder : public internal::HandleObject, public engine::FileEncoder {};

}  // namespace

std::vector<std::uint32_t> WmaEncodeGetRates(std::uint32_t freq, std::uint32_t chans, std::uint32_t flags)
{
    std::vector<std::uint32_t> rates;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec) {
        SetError(ErrorNoWmaCodec);
        return rates;
    }
    const bool qualities = flags & WmaFlagVbrQualities;
    const auto offer = [&](std::uint32_t value) {
        if (ValidShape(freq, chans) && engine::OpenEncoderContext(codec, WmaSettings(freq, chans, value), false))
            rates.push_back(value);
    };
    if (qualities)
        for (const QualityRate& level : Qualities)
            offer(level.quality);
    else
        for (const std::uint32_t rate : CbrRates)
            offer(rate);
    SetError(rates.empty() ? ErrorNotSupported : ErrorOk);
    return rates;
}

Handle WmaEncodeOpenFile(std::uint32_t freq, std::uint32_t chans, std::uint32_t /*flags*/, std::uint32_t bitrate,
                         const std::filesystem::path& path)
{
    if (!ValidShape(freq, chans)) {
        SetError(ErrorNotSupported);
        return 0;
    }
    auto encoder = std::make_shared<WmaEncoder>();
    const int error = ErrorOf(encoder->Open(WmaSettings(freq, chans, bitrate), path));
    if (error != ErrorOk) {
        SetError(error);
        return 0;
    }
    const Handle handle = internal::RegisterHandle(encoder);
    SetError(handle ? ErrorOk : ErrorUnknown);
    return handle;
}

bool WmaEncodeSetSource(Handle encoder, std::uint32_t freq, std::uint32_t chans)
{
    const auto found = internal::Find<WmaEncoder>(encoder);
    const bool done = found && found->SetSource(freq, chans);
    SetError(!found ? ErrorHandle : done ? ErrorOk : ErrorNotSupported);
    return done;
}

bool WmaEncodeWrite(Handle encoder, const void* buffer, std::uint32_t bytes)
{
    const auto found = internal::Find<WmaEncoder>(encoder);
    const bool done = found && (bytes == 0 || (buffer && found->Write(static_cast<const std::uint8_t*>(buffer), bytes)));
    SetError(!found ? ErrorHandle : done ? ErrorOk : ErrorUnknown);
    return done;
}

bool WmaEncodeClose(Handle encoder)
{
    const auto found = std::dynamic_pointer_cast<WmaEncoder>(internal::FindHandle(encoder));
    if (!found) {
        SetError(ErrorHandle);
        return false;
    }
    internal::ReleaseHandle(encoder);
    const bool done = found->Close();
    SetError(done ? ErrorOk : ErrorUnknown);
    return done;
}

}  // namespace AudioLibrary
