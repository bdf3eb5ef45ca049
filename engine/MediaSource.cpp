// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MediaSource.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "engine/AudioLibrary.h"
#include "engine/FfmpegPointers.h"
#include "engine/WavHeader.h"

namespace AudioLibrary::internal {

namespace {

// Containers may refer to other files (playlists, references); they may only
// ever reach local files.
AVDictionary* LocalOnlyOptions()
{
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    return options;
}

}  // namespace

std::unique_ptr<MediaSource> MediaSource::Open(const std::filesystem::path& path, int& error)
{
    std::error_code code;
    // Only regular files: a FIFO or device could block or never end.
    if (!std::filesystem::is_regular_file(path, code)) {
        error = ErrorFileOpen;
        return nullptr;
    }
    std::unique_ptr<MediaSource> source(new MediaSource);
    source->fileSize_ = std::filesystem::file_size(path, code);
    if (code)
        source->fileSize_ = 0;
    error = source->OpenFormat(path);
    if (error != ErrorOk)
        return nullptr;
    if (!source->SelectStream()) {
        error = ErrorFormat;
        return nullptr;
    }
    if (std::string(source->format_->iformat->name) == "wav")
        source->declaredWavBytes_ = engine::DeclaredWavDataBytes(path);
    return source;
}

int MediaSource::OpenFormat(const std::filesystem::path& path)
{
    // The "file:" prefix keeps a name holding ':' from reading as a protocol.
    const std::string url = "file:" + path.string();
    AVDictionary* options = LocalOnlyOptions();
    const int opened = avio_open2(&io_, url.c_str(), AVIO_FLAG_READ, nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return ErrorFileOpen;

    // Probing with an empty name scores the content alone.
    const AVInputFormat* format = nullptr;
    if (av_probe_input_buffer2(io_, &format, "", nullptr, 0, 0) < 0 || !format)
        return ErrorFormat;

    format_ = avformat_alloc_context();
    if (!format_)
        return ErrorUnknown;
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    options = LocalOnlyOptions();
    const int status = avformat_open_input(&format_, url.c_str(), format, &options);
    av_dict_free(&options);
    if (status < 0)
        return ErrorFormat;  // avformat_open_input freed the context
    if (avformat_find_stream_info(format_, nullptr) < 0)
        return ErrorFormat;
    return ErrorOk;
}

bool MediaSource::SelectStream()
{
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        AVStream* stream = format_->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        const AVCodec* decoder = parameters->codec_type == AVMEDIA_TYPE_AUDIO
                                     ? avcodec_find_decoder(parameters->codec_id)
                                     : nullptr;
        if (decoder && !stream_) {
            stream_ = stream;
            decoder_ = decoder;
        } else {
            stream->discard = AVDISCARD_ALL;  // never demuxed
        }
    }
    return stream_ != nullptr;
}

MediaSource::~MediaSource()
{
    avformat_close_input(&format_);
    avio_closep(&io_);
}

std::uint64_t MediaSource::StatedFrames(int rate) const
{
    const AVRational perFrame{1, rate};
    if (stream_->duration > 0)
        return std::uint64_t(av_rescale_q(stream_->duration, stream_->time_base, perFrame));
    if (format_->duration > 0)
        return std::uint64_t(av_rescale_q(format_->duration, AV_TIME_BASE_Q, perFrame));
    return 0;
}

std::uint64_t MediaSource::DeclaredFrames(int rate) const
{
    if (format_->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        return StatedFrames(rate);
    const AVCodecParameters& parameters = *stream_->codecpar;
    if (declaredWavBytes_ == 0 || parameters.block_align <= 0 || parameters.sample_rate <= 0)
        return 0;
    const std::int64_t frames = declaredWavBytes_ / std::uint32_t(parameters.block_align);
    return std::uint64_t(av_rescale_q(frames, AVRational{1, parameters.sample_rate}, AVRational{1, rate}));
}

std::optional<MediaSource::PacketSpan> MediaSource::MeasurePackets()
{
    const engine::ffmpeg::PacketPtr packet(av_packet_alloc());
    const engine::ffmpeg::PacketPtr last(av_packet_alloc());
    if (!packet || !last)
        return std::nullopt;
    std::int64_t first = AV_NOPTS_VALUE;
    std::int64_t end = AV_NOPTS_VALUE;
    std::int64_t longest = 0;
    bool cut = false;
    while (!cut && ReadPacket(packet.get())) {
        const std::int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (at == AV_NOPTS_VALUE)
            return std::nullopt;
        cut = (packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
        const std::int64_t duration = cut ? 0 : std::max<std::int64_t>(packet->duration, 0);
        first = first == AV_NOPTS_VALUE ? at : std::min(first, at);
        end = end == AV_NOPTS_VALUE ? at + duration : std::max(end, at + duration);
        longest = std::max(longest, duration);
        av_packet_unref(last.get());
        av_packet_move_ref(last.get(), packet.get());
    }
    if (first == AV_NOPTS_VALUE)
        return PacketSpan{};
    // Some containers give no durations (Monkey's Audio): the last packet,
    // decoded on its own, says where the stream ends.
    if (!cut && last->duration <= 0) {
        const std::int64_t at = last->pts != AV_NOPTS_VALUE ? last->pts : last->dts;
        const std::int64_t duration = DecodeAlone(last.get());
        end = std::max(end, at + duration);
        longest = std::max(longest, duration);
    }
    const double unit = av_q2d(stream_->time_base);
    return PacketSpan{double(end - first) * unit, double(longest) * unit};
}

std::int64_t MediaSource::DecodeAlone(const AVPacket* packet) const
{
    const engine::ffmpeg::CodecContextPtr codec(avcodec_alloc_context3(decoder_));
    const engine::ffmpeg::FramePtr frame(av_frame_alloc());
    if (!codec || !frame || avcodec_parameters_to_context(codec.get(), stream_->codecpar) < 0 ||
        avcodec_open2(codec.get(), decoder_, nullptr) < 0 || avcodec_send_packet(codec.get(), packet) < 0)
        return 0;
    avcodec_send_packet(codec.get(), nullptr);
    std::int64_t samples = 0;
    int received = 0;
    while ((received = avcodec_receive_frame(codec.get(), frame.get())) == 0) {
        samples += frame->nb_samples;
        av_frame_unref(frame.get());
    }
    const int rate = codec->sample_rate;
    if (received != AVERROR_EOF || rate <= 0)
        return 0;
    return av_rescale_q(samples, AVRational{1, rate}, stream_->time_base);
}

bool MediaSource::ReadPacket(AVPacket* packet)
{
    while (av_read_frame(format_, packet) >= 0) {
        if (packet->stream_index == stream_->index)
            return true;
        av_packet_unref(packet);
    }
    return false;
}

}  // namespace AudioLibrary::internal
