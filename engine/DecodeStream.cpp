// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/DecodeStream.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "engine/Loudness.h"
#include "engine/SampleGain.h"
#include "engine/SamplePacking.h"

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

// The bits of exact samples a lossless source holds; lossy codecs give 16,
// as their samples are no exact values to keep.
std::uint32_t SourceBits(const AVCodecContext& codec, AVSampleFormat format, bool& isFloat)
{
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec.codec_id);
    const bool lossy = descriptor && (descriptor->props & AV_CODEC_PROP_LOSSY) &&
                       !(descriptor->props & AV_CODEC_PROP_LOSSLESS);
    const AVSampleFormat packed = av_get_packed_sample_fmt(format);
    isFloat = !lossy && (packed == AV_SAMPLE_FMT_FLT || packed == AV_SAMPLE_FMT_DBL);
    if (isFloat)
        return 32;
    if (lossy || av_get_bytes_per_sample(packed) <= 2)
        return 16;
    const int declared = codec.bits_per_raw_sample;
    return declared > 0 && declared <= 16 ? 16 : declared > 16 && declared <= 24 ? 24 : 32;
}

// WAVE channel masks name the same speakers with the same bits as FFmpeg's
// native layouts, up to the top back right speaker.
constexpr std::uint64_t WaveMaskBits = 0x3FFFF;

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
    av_channel_layout_uninit(&sourceLayout_);
    av_channel_layout_uninit(&outputLayout_);
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
    ReadSourceFormat(layout);
    SetSampleFormat(16, false);
    return frameReady_ || statedLength_ == 0;
}

void DecodeStream::ReadSourceFormat(const AVChannelLayout& layout)
{
    sourceLayout_ = UsableLayout(layout);
    sourceFormat_.chans = std::uint32_t(layout.nb_channels);
    const int format = frameReady_ ? frame_->format : codec_->sample_fmt;
    sourceFormat_.bits = SourceBits(*codec_, AVSampleFormat(format), sourceFormat_.isFloat);
    sourceFormat_.codec = avcodec_get_name(codec_->codec_id);
}

bool DecodeStream::SetSampleFormat(std::uint32_t bits, bool keepChannels)
{
    if (Started() || (bits != 16 && bits != 24) ||
        (keepChannels && sourceLayout_.nb_channels > int(MaxKeptChannels)))
        return false;
    bits_ = int(bits);
    av_channel_layout_uninit(&outputLayout_);
    if (keepChannels)
        av_channel_layout_copy(&outputLayout_, &sourceLayout_);
    else
        av_channel_layout_default(&outputLayout_, sourceLayout_.nb_channels == 1 ? 1 : 2);
    channels_ = outputLayout_.nb_channels;
    statedLength_ = source_->StatedFrames(rate_) * BlockAlign();
    return true;
}

std::uint32_t DecodeStream::ChannelMask() const
{
    if (outputLayout_.order != AV_CHANNEL_ORDER_NATIVE || (outputLayout_.u.mask & ~WaveMaskBits) != 0)
        return 0;
    return std::uint32_t(outputLayout_.u.mask);
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
    SwrContext* resampler = nullptr;
    const AVSampleFormat format = bits_ == 24 ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
    int status = swr_alloc_set_opts2(&resampler, &outputLayout_, format, rate_, &input,
                                     AVSampleFormat(frame_->format), frame_->sample_rate, 0, nullptr);
    resampler_.reset(resampler);
    if (status >= 0) {
        // A down-mix is scaled so that it never clips.
        av_opt_set_double(resampler, "rematrix_maxval", 1.0, 0);
        if (rate_ != frame_->sample_rate)
            ChooseHighQualityResampling(resampler);
        // Fewer bits than the source's are reached with TPDF dither, not
        // by truncation; 24 bits travel in 32 until packed.
        if (sourceFormat_.isFloat || int(sourceFormat_.bits) > bits_) {
            av_opt_set_int(resampler, "dither_method", SWR_DITHER_TRIANGULAR, 0);
            if (bits_ == 24)
                av_opt_set_int(resampler, "output_sample_bits", 24, 0);
        }
        status = swr_init(resampler);
    }
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
    const int converted = Resample(target, capacity, const_cast<const std::uint8_t**>(frame_->extended_data),
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
    const int flushed = Resample(target, bound, nullptr, 0);
    pendingEnd_ = flushed > 0 ? std::size_t(flushed) * BlockAlign() : 0;
}

int DecodeStream::Resample(std::uint8_t* target, int capacity, const std::uint8_t** input, int count)
{
    if (bits_ != 24)
        return swr_convert(resampler_.get(), &target, capacity, input, count);
    wide_.resize(std::size_t(capacity) * std::size_t(channels_));
    auto* wide = reinterpret_cast<std::uint8_t*>(wide_.data());
    const int converted = swr_convert(resampler_.get(), &wide, capacity, input, count);
    if (converted > 0)
        engine::PackTo24(wide_.data(), std::size_t(converted) * std::size_t(channels_), target);
    return converted;
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
        engine::ApplyGain(out, filled, gain_, bits_ / 8);
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
