// SPDX-License-Identifier: GPL-3.0-or-later
// The audio library's WMA encoder: FFmpeg's wmav2 in an ASF file, fed with
// 16-bit interleaved PCM that libswresample brings to the encoder's rate and
// channel count.

#include "engine/AudioHandles.h"
#include "engine/AudioLibrary.h"
#include "engine/FfmpegPointers.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
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

using engine::ffmpeg::CodecContextPtr;

CodecContextPtr OpenCodec(const AVCodec* codec, std::uint32_t freq, std::uint32_t chans, std::uint32_t bitrate,
                   bool globalHeader)
{
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        return nullptr;
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->sample_rate = int(freq);
    av_channel_layout_default(&context->ch_layout, int(chans));
    context->bit_rate = bitrate;
    context->time_base = AVRational{1, int(freq)};
    if (globalHeader)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

bool ValidShape(std::uint32_t freq, std::uint32_t chans)
{
    return freq > 0 && freq <= 1000000 && (chans == 1 || chans == 2);
}

class WmaEncoder : public internal::HandleObject {
public:
    ~WmaEncoder() override
    {
        av_audio_fifo_free(fifo_);
        if (format_)
            avio_closep(&format_->pb);
        avformat_free_context(format_);
    }

    // Returns the library's error code.
    int Open(std::uint32_t freq, std::uint32_t chans, std::uint32_t bitrate, const std::filesystem::path& path)
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
        const AVOutputFormat* asf = av_guess_format("asf", nullptr, nullptr);
        if (!codec || !asf)
            return ErrorNoWmaCodec;
        codec_ = OpenCodec(codec, freq, chans, BitrateOf(bitrate), asf->flags & AVFMT_GLOBALHEADER);
        if (!codec_)
            return ErrorNotSupported;
        if (avformat_alloc_output_context2(&format_, asf, nullptr, nullptr) < 0)
            return ErrorUnknown;
        AVStream* stream = avformat_new_stream(format_, nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, codec_.get()) < 0)
            return ErrorUnknown;
        stream->time_base = codec_->time_base;
        // "file:" keeps a ":" in the name from choosing another protocol.
        if (avio_open(&format_->pb, ("file:" + path.string()).c_str(), AVIO_FLAG_WRITE) < 0)
            return ErrorFileOpen;
        if (avformat_write_header(format_, nullptr) < 0)
            return ErrorUnknown;
        fifo_ = av_audio_fifo_alloc(codec_->sample_fmt, codec_->ch_layout.nb_channels, FrameSize());
        frame_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!fifo_ || !frame_ || !packet_)
            return ErrorUnknown;
        return SetSource(freq, chans) ? ErrorOk : ErrorUnknown;
    }

    bool SetSource(std::uint32_t freq, std::uint32_t chans)
    {
        if (!ValidShape(freq, chans) || !Drain(false))
            return false;
        resampler_.reset();
        AVChannelLayout source;
        av_channel_layout_default(&source, int(chans));
        SwrContext* resampler = nullptr;
        const int made = swr_alloc_set_opts2(&resampler, &codec_->ch_layout, codec_->sample_fmt,
                                             codec_->sample_rate, &source, AV_SAMPLE_FMT_S16, int(freq), 0, nullptr);
        resampler_.reset(resampler);
        if (made < 0 || swr_init(resampler) < 0)
            return false;
        sourceBlock_ = 2 * chans;
        carry_.clear();
        return true;
    }

    bool Write(const std::uint8_t* data, std::size_t bytes)
    {
        if (!carry_.empty()) {
            const std::size_t take = std::min(bytes, sourceBlock_ - carry_.size());
            carry_.insert(carry_.end(), data, data + take);
            data += take;
            bytes -= take;
            if (carry_.size() == sourceBlock_) {
                if (!Convert(carry_.data(), 1))
                    return false;
                carry_.clear();
            }
        }
        const std::size_t whole = bytes / sourceBlock_;
        if (whole > 0 && !Convert(data, int(whole)))
            return false;
        carry_.assign(data + whole * sourceBlock_, data + bytes);
        return EncodeFull();
    }

    bool Close()
    {
        const bool drained = Drain(true) && SendFrame(nullptr);
        return av_write_trailer(format_) == 0 && drained && avio_closep(&format_->pb) == 0;
    }

private:
    int FrameSize() const { return codec_->frame_size > 0 ? codec_->frame_size : 2048; }

    bool Convert(const std::uint8_t* source, int samples)
    {
        const int room = swr_get_out_samples(resampler_.get(), samples);
        if (room < 0)
            return false;
        if (room == 0)
            return true;
        const int channels = codec_->ch_layout.nb_channels;
        planes_.resize(std::size_t(channels));
        std::array<std::uint8_t*, 2> pointers{};
        for (int c = 0; c < channels; ++c) {
            planes_[std::size_t(c)].resize(std::size_t(room));
            pointers[std::size_t(c)] = reinterpret_cast<std::uint8_t*>(planes_[std::size_t(c)].data());
        }
        const std::uint8_t* input[] = {source};
        const int converted = swr_convert(resampler_.get(), pointers.data(), room, source ? input : nullptr, samples);
        return converted >= 0 &&
               (converted == 0 ||
                av_audio_fifo_write(fifo_, reinterpret_cast<void**>(pointers.data()), converted) == converted);
    }

    bool EncodeFull()
    {
        while (av_audio_fifo_size(fifo_) >= FrameSize())
            if (!EncodeFromFifo(FrameSize()))
                return false;
        return true;
    }

    // Everything the resampler holds becomes frames; with `last`, the final
    // short frame is sent too, filled up with silence if the encoder needs
    // whole frames.
    bool Drain(bool last)
    {
        if (resampler_ && !Convert(nullptr, 0))
            return false;
        if (!EncodeFull())
            return false;
        const int rest = av_audio_fifo_size(fifo_);
        return !last || rest == 0 || EncodeFromFifo(rest);
    }

    bool EncodeFromFifo(int samples)
    {
        const bool shortAllowed = codec_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
        AVFrame* frame = frame_.get();
        av_frame_unref(frame);
        frame->nb_samples = shortAllowed ? samples : FrameSize();
        frame->format = codec_->sample_fmt;
        frame->sample_rate = codec_->sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &codec_->ch_layout) < 0 || av_frame_get_buffer(frame, 0) < 0)
            return false;
        av_samples_set_silence(frame->data, 0, frame->nb_samples, frame->ch_layout.nb_channels,
                               AVSampleFormat(frame->format));
        if (av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->data), samples) != samples)
            return false;
        frame->pts = nextPts_;
        nextPts_ += frame->nb_samples;
        return SendFrame(frame);
    }

    bool SendFrame(AVFrame* frame)
    {
        if (avcodec_send_frame(codec_.get(), frame) < 0)
            return false;
        for (;;) {
            const int received = avcodec_receive_packet(codec_.get(), packet_.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return true;
            if (received < 0)
                return false;
            av_packet_rescale_ts(packet_.get(), codec_->time_base, format_->streams[0]->time_base);
            packet_->stream_index = 0;
            if (av_interleaved_write_frame(format_, packet_.get()) < 0)
                return false;
        }
    }

    CodecContextPtr codec_;
    AVFormatContext* format_ = nullptr;
    engine::ffmpeg::ResamplerPtr resampler_;
    AVAudioFifo* fifo_ = nullptr;
    engine::ffmpeg::FramePtr frame_;
    engine::ffmpeg::PacketPtr packet_;
    std::vector<std::vector<float>> planes_;
    std::vector<std::uint8_t> carry_;
    std::size_t sourceBlock_ = 4;
    std::int64_t nextPts_ = 0;
};

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
        if (ValidShape(freq, chans) && OpenCodec(codec, freq, chans, BitrateOf(value), false))
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
    const int error = encoder->Open(freq, chans, bitrate, path);
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
