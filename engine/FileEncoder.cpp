// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileEncoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "engine/SamplePacking.h"

#include <QString>
#include <QStringList>
#include <algorithm>

namespace engine {

namespace {

struct DictionaryFree {
    void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

// "-name value" pairs; false when a word is out of place.
bool ParseOptions(const std::string& text, AVDictionary** dictionary)
{
    const QStringList words = QString::fromStdString(text).split(' ', Qt::SkipEmptyParts);
    if (words.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < words.size(); i += 2) {
        if (!words[i].startsWith('-') || words[i].size() < 2)
            return false;
        av_dict_set(dictionary, words[i].mid(1).toUtf8().constData(), words[i + 1].toUtf8().constData(), 0);
    }
    return true;
}

bool ValidShape(std::uint32_t rate, std::uint32_t channels)
{
    return rate > 0 && rate <= 1000000 && channels >= 1 && channels <= 8;
}

// The layout asked for, or the codec's own of as many channels when it
// lists its layouts and that one is not among them.
void ChooseLayout(const AVCodec* codec, const FileEncoderSettings& settings, AVChannelLayout& layout)
{
    if (settings.channelMask == 0 || av_channel_layout_from_mask(&layout, settings.channelMask) < 0 ||
        layout.nb_channels != int(settings.channels))
        av_channel_layout_default(&layout, int(settings.channels));
    if (!codec->ch_layouts)
        return;
    const AVChannelLayout* sameCount = nullptr;
    for (const AVChannelLayout* listed = codec->ch_layouts; listed->nb_channels; ++listed) {
        if (av_channel_layout_compare(listed, &layout) == 0)
            return;
        if (!sameCount && listed->nb_channels == layout.nb_channels)
            sameCount = listed;
    }
    if (sameCount)
        av_channel_layout_copy(&layout, sameCount);
}

}  // namespace

ffmpeg::CodecContextPtr OpenEncoderContext(const AVCodec* codec, const FileEncoderSettings& settings,
                                           bool globalHeader)
{
    AVDictionary* options = nullptr;
    const bool parsed = ParseOptions(settings.options, &options);
    const std::unique_ptr<AVDictionary, DictionaryFree> owner(options);
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!parsed || !context || !ValidShape(settings.rate, settings.channels))
        return nullptr;
    context->sample_fmt = settings.sampleFormat;
    context->sample_rate = int(settings.rate);
    ChooseLayout(codec, settings, context->ch_layout);
    context->bits_per_raw_sample = settings.bitsPerRawSample;
    context->bit_rate = settings.bitrate;
    context->time_base = AVRational{1, int(settings.rate)};
    if (globalHeader)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* rest = nullptr;
    av_dict_copy(&rest, options, 0);
    const int opened = avcodec_open2(context.get(), codec, &rest);
    // An option the codec did not take would be silently ignored.
    const bool allTaken = av_dict_count(rest) == 0;
    av_dict_free(&rest);
    return opened == 0 && allTaken ? std::move(context) : nullptr;
}

FileEncoder::~FileEncoder()
{
    av_audio_fifo_free(fifo_);
    if (format_)
        avio_closep(&format_->pb);
    avformat_free_context(format_);
}

FileEncoder::OpenResult FileEncoder::Open(const FileEncoderSettings& settings, const std::filesystem::path& path)
{
    const AVCodec* codec = avcodec_find_encoder(settings.codec);
    const AVOutputFormat* muxer = av_guess_format(settings.muxer, nullptr, nullptr);
    if (!codec || !muxer)
        return OpenResult::NoCodec;
    codec_ = OpenEncoderContext(codec, settings, muxer->flags & AVFMT_GLOBALHEADER);
    if (!codec_)
        return OpenResult::NotSupported;
    if (avformat_alloc_output_context2(&format_, muxer, nullptr, nullptr) < 0)
        return OpenResult::Failed;
    AVStream* stream = avformat_new_stream(format_, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec_.get()) < 0)
        return OpenResult::Failed;
    stream->time_base = codec_->time_base;
    // "file:" keeps a ":" in the name from choosing another protocol.
    if (avio_open(&format_->pb, ("file:" + path.string()).c_str(), AVIO_FLAG_WRITE) < 0)
        return OpenResult::FileOpen;
    if (avformat_write_header(format_, nullptr) < 0)
        return OpenResult::Failed;
    fifo_ = av_audio_fifo_alloc(codec_->sample_fmt, codec_->ch_layout.nb_channels, FrameSize());
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!fifo_ || !frame_ || !packet_)
        return OpenResult::Failed;
    return SetSource(settings.rate, settings.channels) ? OpenResult::Ok : OpenResult::Failed;
}

bool FileEncoder::SetSource(std::uint32_t rate, std::uint32_t channels, std::uint32_t bits)
{
    if (!ValidShape(rate, channels) || (bits != 16 && bits != 24) || !Drain(false))
        return false;
    resampler_.reset();
    // The same layout on both sides: the samples pass unmixed.
    AVChannelLayout source;
    if (int(channels) == codec_->ch_layout.nb_channels)
        av_channel_layout_copy(&source, &codec_->ch_layout);
    else
        av_channel_layout_default(&source, int(channels));
    sourceWidth_ = int(bits / 8);
    SwrContext* resampler = nullptr;
    const int made =
        swr_alloc_set_opts2(&resampler, &codec_->ch_layout, codec_->sample_fmt, codec_->sample_rate, &source,
                            sourceWidth_ == 3 ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16, int(rate), 0, nullptr);
    av_channel_layout_uninit(&source);
    resampler_.reset(resampler);
    if (made < 0 || swr_init(resampler) < 0)
        return false;
    sourceBlock_ = std::size_t(sourceWidth_) * channels;
    carry_.clear();
    return true;
}

bool FileEncoder::Write(const std::uint8_t* data, std::size_t bytes)
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

bool FileEncoder::Close()
{
    if (!format_ || !format_->pb)
        return false;
    const bool drained = Drain(true) && SendFrame(nullptr);
    return av_write_trailer(format_) == 0 && drained && avio_closep(&format_->pb) == 0;
}

int FileEncoder::FrameSize() const
{
    return codec_->frame_size > 0 ? codec_->frame_size : 2048;
}

bool FileEncoder::Convert(const std::uint8_t* source, int samples)
{
    const int room = swr_get_out_samples(resampler_.get(), samples);
    if (room < 0)
        return false;
    if (room == 0)
        return true;
    const int channels = codec_->ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(codec_->sample_fmt);
    const std::size_t planeBytes =
        std::size_t(room) * std::size_t(av_get_bytes_per_sample(codec_->sample_fmt)) * (planar ? 1 : std::size_t(channels));
    planes_.resize(planar ? std::size_t(channels) : 1);
    std::vector<std::uint8_t*> pointers;
    for (auto& plane : planes_) {
        plane.resize(planeBytes);
        pointers.push_back(plane.data());
    }
    if (source && sourceWidth_ == 3)
        source = Widen(source, samples);
    const std::uint8_t* input[] = {source};
    const int converted = swr_convert(resampler_.get(), pointers.data(), room, source ? input : nullptr, samples);
    return converted >= 0 &&
           (converted == 0 || av_audio_fifo_write(fifo_, reinterpret_cast<void**>(pointers.data()), converted) == converted);
}

// Three-byte samples into the top of 32 bits, which libswresample reads.
const std::uint8_t* FileEncoder::Widen(const std::uint8_t* source, int samples)
{
    widened_.resize(std::size_t(samples) * sourceBlock_ / 3);
    for (std::size_t i = 0; i < widened_.size(); ++i)
        widened_[i] = std::int32_t(std::uint32_t(LoadSample(source + 3 * i, 3)) << 8);
    return reinterpret_cast<const std::uint8_t*>(widened_.data());
}

bool FileEncoder::EncodeFull()
{
    while (av_audio_fifo_size(fifo_) >= FrameSize())
        if (!EncodeFromFifo(FrameSize()))
            return false;
    return true;
}

// Everything the resampler holds becomes frames; with `last`, the final
// short frame is sent too, filled up with silence if the encoder needs
// whole frames.
bool FileEncoder::Drain(bool last)
{
    if (resampler_ && !Convert(nullptr, 0))
        return false;
    if (!EncodeFull())
        return false;
    const int rest = av_audio_fifo_size(fifo_);
    return !last || rest == 0 || EncodeFromFifo(rest);
}

bool FileEncoder::EncodeFromFifo(int samples)
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

bool FileEncoder::SendFrame(AVFrame* frame)
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

}  // namespace engine
