// SPDX-License-Identifier: GPL-3.0-or-later
#include "faac/AacEncoder.h"

#include "faac/AvError.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

namespace faac {
namespace {

bool RateSupported(const AVCodec* codec, int rate)
{
    for (const int* r = codec->supported_samplerates; r && *r; ++r)
        if (*r == rate)
            return true;
    return !codec->supported_samplerates;
}

}  // namespace

AacEncoder::~AacEncoder()
{
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&context_);
}

bool AacEncoder::Open(const wavio::WavFormat& format, const AacSettings& settings, bool globalHeader,
                      std::string& error)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (!codec) {
        error = "this FFmpeg has no AAC encoder";
        return false;
    }
    if (!RateSupported(codec, format.sampleRate)) {
        error = "the AAC encoder does not support " + std::to_string(format.sampleRate) + " Hz";
        return false;
    }
    context_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!context_ || !frame_ || !packet_) {
        error = "out of memory";
        return false;
    }
    context_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context_->sample_rate = format.sampleRate;
    av_channel_layout_default(&context_->ch_layout, format.channels);
    context_->bit_rate = std::int64_t(settings.kbitPerChannel) * 1000 * format.channels;
    context_->cutoff = std::min(settings.cutoffHz, format.sampleRate / 2);
    context_->profile = FF_PROFILE_AAC_LOW;
    context_->time_base = {1, format.sampleRate};
    if (globalHeader)
        context_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set_int(context_->priv_data, "aac_tns", settings.tns, 0);
    if (!settings.midSide)
        av_opt_set_int(context_->priv_data, "aac_ms", 0, 0);
    if (const int result = avcodec_open2(context_, codec, nullptr); result < 0) {
        error = "the AAC encoder refused " + std::to_string(format.channels) + " channels at " +
                std::to_string(format.sampleRate) + " Hz: " + AvError(result);
        return false;
    }
    return true;
}

int AacEncoder::FrameSize() const { return context_->frame_size; }

bool AacEncoder::Encode(const float* interleaved, int frames, const PacketSink& sink, std::string& error)
{
    av_frame_unref(frame_);
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->sample_rate = context_->sample_rate;
    frame_->nb_samples = frames;
    int result = av_channel_layout_copy(&frame_->ch_layout, &context_->ch_layout);
    if (result >= 0)
        result = av_frame_get_buffer(frame_, 0);
    if (result < 0) {
        error = AvError(result);
        return false;
    }
    const int channels = context_->ch_layout.nb_channels;
    for (int c = 0; c < channels; ++c) {
        float* plane = reinterpret_cast<float*>(frame_->extended_data[c]);
        for (int i = 0; i < frames; ++i)
            plane[i] = interleaved[i * channels + c];
    }
    frame_->pts = nextPts_;
    nextPts_ += frames;
    if ((result = avcodec_send_frame(context_, frame_)) < 0) {
        error = "encoding failed: " + AvError(result);
        return false;
    }
    return Drain(sink, error);
}

bool AacEncoder::Flush(const PacketSink& sink, std::string& error)
{
    if (const int result = avcodec_send_frame(context_, nullptr); result < 0) {
        error = "encoding failed: " + AvError(result);
        return false;
    }
    return Drain(sink, error);
}

bool AacEncoder::Drain(const PacketSink& sink, std::string& error)
{
    for (;;) {
        const int result = avcodec_receive_packet(context_, packet_);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0) {
            error = "encoding failed: " + AvError(result);
            return false;
        }
        const bool written = sink(packet_, error);
        av_packet_unref(packet_);
        if (!written)
            return false;
    }
}

}  // namespace faac
