// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Loudness.h"

#include <algorithm>
#include <cmath>

#include <ebur128.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "engine/DecodeStream.h"

namespace engine {

namespace {

// The histogram keeps memory and the final gating constant however long the
// input, and differs from the exact gating by far less than 0.01 LU.
int MeterMode(PeakKind kind)
{
    return EBUR128_MODE_I | EBUR128_MODE_HISTOGRAM |
           (kind == PeakKind::True ? EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_SAMPLE_PEAK);
}

constexpr std::uint32_t MeasureBlockBytes = 65536;

// Kept below the ceiling: rounding to 16 bits and resampling after the gain
// move the true peak by hundredths of a dB.
constexpr double PeakMarginDb = 0.1;

}  // namespace

bool Loudness::Silent() const
{
    return !std::isfinite(integrated);
}

// The libraries' objects, kept out of the header.
struct LoudnessMeter::Parts {
    ebur128_state* state = nullptr;
    SwrContext* mixer = nullptr;
    ~Parts()
    {
        if (state)
            ebur128_destroy(&state);
        swr_free(&mixer);
    }
};

LoudnessMeter::LoudnessMeter(int channels, PeakKind kind)
    : channels_(std::clamp(channels, 1, 8)), kind_(kind), parts_(std::make_unique<Parts>())
{
}

LoudnessMeter::~LoudnessMeter() = default;

// (Re)builds the mixer for the frame's shape and the meter for its rate.
bool LoudnessMeter::Prepare(const AVFrame& frame)
{
    if (parts_->mixer && frame.format == format_ && frame.sample_rate == rate_ &&
        frame.ch_layout.nb_channels == inputChannels_)
        return true;
    AVChannelLayout input{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE)
        av_channel_layout_copy(&input, &frame.ch_layout);
    else
        av_channel_layout_default(&input, frame.ch_layout.nb_channels);
    AVChannelLayout output{};
    av_channel_layout_default(&output, channels_);
    swr_free(&parts_->mixer);
    int status = swr_alloc_set_opts2(&parts_->mixer, &output, AV_SAMPLE_FMT_FLT, frame.sample_rate, &input,
                                     AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr);
    if (status >= 0) {
        // Mixed down as the decode mixes, so the measure is of what is encoded.
        av_opt_set_double(parts_->mixer, "rematrix_maxval", 1.0, 0);
        status = swr_init(parts_->mixer);
    }
    av_channel_layout_uninit(&input);
    av_channel_layout_uninit(&output);
    if (status < 0)
        return false;
    if (!parts_->state)
        parts_->state = ebur128_init(unsigned(channels_), unsigned(frame.sample_rate), MeterMode(kind_));
    else if (frame.sample_rate != rate_ &&
             ebur128_change_parameters(parts_->state, unsigned(channels_), unsigned(frame.sample_rate)) != EBUR128_SUCCESS)
        return false;
    format_ = frame.format;
    rate_ = frame.sample_rate;
    inputChannels_ = frame.ch_layout.nb_channels;
    return parts_->state != nullptr;
}

bool LoudnessMeter::Add(const AVFrame& frame)
{
    if (failed_ || frame.nb_samples <= 0 || frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0)
        return !failed_;
    if (!Prepare(frame)) {
        failed_ = true;
        return false;
    }
    const int bound = swr_get_out_samples(parts_->mixer, frame.nb_samples);
    buffer_.resize(std::size_t(std::max(bound, 0)) * std::size_t(channels_));
    auto* out = reinterpret_cast<std::uint8_t*>(buffer_.data());
    const int mixed = swr_convert(parts_->mixer, &out, bound, const_cast<const std::uint8_t**>(frame.extended_data),
                                  frame.nb_samples);
    failed_ = mixed < 0 ||
              ebur128_add_frames_float(parts_->state, buffer_.data(), std::size_t(mixed)) != EBUR128_SUCCESS;
    return !failed_;
}

std::optional<Loudness> LoudnessMeter::Result() const
{
    if (failed_ || !parts_->state)
        return std::nullopt;
    Loudness result;
    result.kind = kind_;
    if (ebur128_loudness_global(parts_->state, &result.integrated) != EBUR128_SUCCESS)
        return std::nullopt;
    for (unsigned channel = 0; channel < unsigned(channels_); ++channel) {
        double peak = 0;
        const int got = kind_ == PeakKind::True ? ebur128_true_peak(parts_->state, channel, &peak)
                                                : ebur128_sample_peak(parts_->state, channel, &peak);
        if (got == EBUR128_SUCCESS)
            result.peak = std::max(result.peak, peak);
    }
    return result;
}

double LoudnessGainDb(const Loudness& level, double target, double ceiling)
{
    if (level.Silent())
        return 0;
    const double gain = target - level.integrated;
    return level.peak > 0 ? std::min(gain, ceiling - PeakMarginDb - 20 * std::log10(level.peak)) : gain;
}

std::optional<Loudness> CombinedLoudness(const std::vector<const LoudnessMeter*>& meters)
{
    std::vector<ebur128_state*> states;
    Loudness combined;
    for (const LoudnessMeter* meter : meters) {
        const std::optional<Loudness> own = meter ? meter->Result() : std::nullopt;
        if (!own)
            return std::nullopt;
        states.push_back(meter->parts_->state);
        combined.peak = std::max(combined.peak, own->peak);
        combined.kind = own->kind;
    }
    if (states.empty() ||
        ebur128_loudness_global_multiple(states.data(), states.size(), &combined.integrated) != EBUR128_SUCCESS)
        return std::nullopt;
    return combined;
}

bool MeasureWhileDecoding(AudioLibrary::Handle channel, std::shared_ptr<LoudnessMeter> meter)
{
    const auto stream = AudioLibrary::internal::Find<AudioLibrary::internal::DecodeStream>(channel);
    if (!stream || stream->Started())
        return false;
    stream->SetMeter(std::move(meter));
    return true;
}

std::shared_ptr<LoudnessMeter> MeasureFileLoudness(const std::filesystem::path& file,
                                                   const std::atomic<bool>& cancelled, PeakKind kind)
{
    const AudioLibrary::Handle stream = AudioLibrary::StreamCreateFile(file, AudioLibrary::FlagDecodeOnly);
    if (stream == 0)
        return nullptr;
    AudioLibrary::ChannelInfo info;
    AudioLibrary::ChannelGetInfo(stream, info);
    auto meter = std::make_shared<LoudnessMeter>(int(info.chans), kind);
    bool read = MeasureWhileDecoding(stream, meter);
    std::vector<std::uint8_t> block(MeasureBlockBytes);
    while (read && !cancelled && AudioLibrary::ChannelIsActive(stream))
        read = AudioLibrary::ChannelGetData(stream, block.data(), MeasureBlockBytes) >= 0;
    AudioLibrary::StreamFree(stream);
    if (!read || cancelled || meter->Failed())
        return nullptr;
    return meter;
}

}  // namespace engine
