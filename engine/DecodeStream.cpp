// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/DecodeStream.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "engine/Loudness.h"
#include "engine/SampleGain.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace AudioLibrary::internal {

namespace {

// A decoder that keeps failing to give frames is given up on, so a broken
// file ends instead of looping.
constexpr int MaxReceiveErrors = 64;

// Layouts without a known channel order are taken in the default order for
// their channel count, which the resampler can mix.
AVChannelLayout UsableLayout(const AVChannelLayout& layout)
{
    AVChannelLayout usable{};
    if (layout.order == AV_CHANNEL_ORDER_NATIVE)
        av_channel_layout_copy(&usable, &layout);
    else
        av_channel_layout_default(&usable, layout.nb_channels);
    return usable;
}

// A rate change goes through soxr at its very high quality setting (28-bit
// precision), which Debian's libswresample is built with.
void ChooseHighQualityResampling(SwrContext* resampler)
{
    av_opt_set_int(resampler, "resampler", SWR_ENGINE_SOXR, 0);
    av_opt_set_double(resampler, "precision", 28, 0);
}

}  // namespace

std::shared_ptr<DecodeStream> DecodeStream::Open(const std::filesystem::path& path, int& error)
{
    std::shared_ptr<DecodeStream> stream(new DecodeStream);
    stream->source_ = MediaSource::Open(path, error);
    if (!stream->source_)
        return nullptr;
    error = ErrorFormat;
    if (!stream->OpenDecoder() || !stream->Prime())
        return nullptr;
    error = ErrorOk;
    return stream;
}

DecodeStream::~DecodeStream()
{
    av_channel_layout_uninit(&resamplerLayout_);
}

bool DecodeStream::OpenDecoder()
{
    const AVStream& stream = source_->Stream();
    codec_.reset(avcodec_alloc_context3(&source_->Decoder()));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!codec_ || !frame_ || !packet_ ||
        avcodec_parameters_to_context(codec_.get(), stream.codecpar) < 0)
        return false;
    codec_->pkt_timebase = stream.time_base;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "threads", "auto", 0);
    const int opened = avcodec_open2(codec_.get(), &source_->Decoder(), &options);
    av_dict_free(&options);
    return opened >= 0;
}

// The first frame fixes the delivered rate and channels: stream headers can
// be wrong about them (implicit SBR, say). A stream without any frame opens
// only when its container states it empty.
bool DecodeStream::Prime()
{
    frameReady_ = DecodeFrame();
    sourceDone_ = !frameReady_;
    const AVChannelLayout& layout = frameReady_ ? frame_->ch_layout : codec_->ch_layout;
    sourceRate_ = rate_ = frameReady_ ? frame_->sample_rate : codec_->sample_rate;
    if (rate_ <= 0 || layout.nb_channels <= 0)
        return false;
    channels_ = layout.nb_channels == 1 ? 1 : 2;
    statedLength_ = source_->StatedFrames(rate_) * BlockAlign();
    return frameReady_ || statedLength_ == 0;
}

bool DecodeStream::DecodeFrame()
{
    for (int errors = 0; errors < MaxReceiveErrors;) {
        const int received = avcodec_receive_frame(codec_.get(), frame_.get());
        if (received == 0)
            return true;
        if (received == AVERROR_EOF || (received == AVERROR(EAGAIN) && draining_))
            return false;
        if (received != AVERROR(EAGAIN)) {
            ++errors;
            continue;
        }
        if (!source_->ReadPacket(packet_.get())) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        // A damaged packet is skipped; the next one may decode.
        avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
    }
    return false;
}

// 1 when the resampler fits the current frame, 0 when the frame is unusable,
// negative on failure. A frame of another shape than the last rebuilds it,
// keeping the output rate and channels the stream opened with.
int DecodeStream::PrepareResampler()
{
    if (frame_->sample_rate <= 0 || frame_->ch_layout.nb_channels <= 0 || frame_->nb_samples <= 0)
        return 0;
    AVChannelLayout input = UsableLayout(frame_->ch_layout);
    if (resampler_ && resamplerFormat_ == frame_->format && resamplerRate_ == frame_->sample_rate &&
        av_channel_layout_compare(&resamplerLayout_, &input) == 0) {
        av_channel_layout_uninit(&input);
        return 1;
    }
    FlushResampler();
    AVChannelLayout output{};
    av_channel_layout_default(&output, channels_);
    SwrContext* resampler = nullptr;
    int status = swr_alloc_set_opts2(&resampler, &output, AV_SAMPLE_FMT_S16, rate_, &input,
                                     AVSampleFormat(frame_->format), frame_->sample_rate, 0, nullptr);
    resampler_.reset(resampler);
    if (status >= 0) {
        // A down-mix is scaled so that it never clips.
        av_opt_set_double(resampler, "rematrix_maxval", 1.0, 0);
        if (rate_ != frame_->sample_rate)
            ChooseHighQualityResampling(resampler);
        status = swr_init(resampler);
    }
    av_channel_layout_uninit(&output);
    av_channel_layout_uninit(&resamplerLayout_);
    resamplerLayout_ = input;
    resamplerFormat_ = frame_->format;
    resamplerRate_ = frame_->sample_rate;
    if (status < 0)
        resampler_.reset();
    return status < 0 ? status : 1;
}

// Converts the current frame straight into out when it fits, else into the
// pending buffer. Returns the bytes put into out, negative on failure.
std::int64_t DecodeStream::ConvertFrame(std::uint8_t* out, std::size_t space)
{
    const bool hadResampler = resampler_ != nullptr;
    const int prepared = PrepareResampler();
    if (prepared <= 0) {
        av_frame_unref(frame_.get());
        frameReady_ = false;
        return prepared;
    }
    // A rebuild may have left the old resampler's tail pending; it goes first.
    if (hadResampler && pendingEnd_ > pendingBegin_)
        return 0;
    if (meter_)
        meter_->Add(*frame_);
    const int roomFrames = int(space / BlockAlign());
    const int bound = swr_get_out_samples(resampler_.get(), frame_->nb_samples);
    std::uint8_t* target = bound > roomFrames ? ReservePending(std::size_t(bound) * BlockAlign()) : out;
    const int capacity = target == out ? roomFrames : bound;
    const int converted = swr_convert(resampler_.get(), &target, capacity,
                                      const_cast<const std::uint8_t**>(frame_->extended_data),
                                      frame_->nb_samples);
    av_frame_unref(frame_.get());
    frameReady_ = false;
    if (converted < 0)
        return converted;
    if (target == out)
        return std::int64_t(converted) * BlockAlign();
    pendingEnd_ = std::size_t(converted) * BlockAlign();
    return std::int64_t(TakePending(out, space));
}

// Moves what the resampler still holds (a resampling delay) to pending.
// Called only with pending empty.
void DecodeStream::FlushResampler()
{
    if (!resampler_)
        return;
    const int bound = swr_get_out_samples(resampler_.get(), 0);
    if (bound <= 0)
        return;
    std::uint8_t* target = ReservePending(std::size_t(bound) * BlockAlign());
    const int flushed = swr_convert(resampler_.get(), &target, bound, nullptr, 0);
    pendingEnd_ = flushed > 0 ? std::size_t(flushed) * BlockAlign() : 0;
}

std::uint8_t* DecodeStream::ReservePending(std::size_t bytes)
{
    if (bytes > pendingCapacity_) {
        pending_ = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
        pendingCapacity_ = bytes;
    }
    pendingBegin_ = pendingEnd_ = 0;
    return pending_.get();
}

std::size_t DecodeStream::TakePending(std::uint8_t* out, std::size_t space)
{
    const std::size_t count = std::min(space, pendingEnd_ - pendingBegin_);
    if (count > 0)
        std::memcpy(out, pending_.get() + pendingBegin_, count);
    pendingBegin_ += count;
    return count;
}

std::int32_t DecodeStream::Read(void* buffer, std::uint32_t bytes)
{
    if (failed_)
        return -1;
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::size_t asked = std::min<std::uint32_t>(bytes, INT32_MAX);
    const std::size_t capacity = asked - asked % BlockAlign();
    std::size_t filled = 0;
    while (filled < capacity) {
        if (pendingEnd_ > pendingBegin_) {
            filled += TakePending(out + filled, capacity - filled);
        } else if (frameReady_) {
            const std::int64_t converted = ConvertFrame(out + filled, capacity - filled);
            if (converted < 0) {
                failed_ = true;
                return -1;
            }
            filled += std::size_t(converted);
        } else if (!sourceDone_) {
            frameReady_ = DecodeFrame();
            sourceDone_ = !frameReady_;
            if (sourceDone_)
                FlushResampler();
        } else {
            break;
        }
    }
    if (gain_ != 1.0)
        engine::ApplyGain(out, filled, gain_);
    position_ += filled;
    return std::int32_t(filled);
}

bool DecodeStream::SetOutputRate(std::uint32_t rate)
{
    const std::uint64_t source = std::uint64_t(sourceRate_);
    if (Started() || rate == 0 || rate > INT_MAX ||
        rate > source * MaxRateRatio || rate * std::uint64_t(MaxRateRatio) < source)
        return false;
    rate_ = int(rate);
    statedLength_ = source_->StatedFrames(rate_) * BlockAlign();
    return true;
}

bool DecodeStream::SetGain(double gain)
{
    if (!std::isfinite(gain) || gain < 0)
        return false;
    gain_ = gain;
    return true;
}

bool DecodeStream::Active() const
{
    return !failed_ && (frameReady_ || !sourceDone_ || pendingEnd_ > pendingBegin_);
}

std::uint64_t DecodeStream::Length() const
{
    return Active() ? std::max(statedLength_, position_) : position_;
}

}  // namespace AudioLibrary::internal
