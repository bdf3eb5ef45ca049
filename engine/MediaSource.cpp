// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MediaSource.h"

#include <string>
#include <system_error>

#include "engine/AudioLibrary.h"

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
