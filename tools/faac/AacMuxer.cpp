// SPDX-License-Identifier: GPL-3.0-or-later
#include "faac/AacMuxer.h"

#include "faac/AvError.h"

#include <cerrno>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace faac {
namespace {

constexpr int IoBufferSize = 64 * 1024;

int LastError() { return errno ? AVERROR(errno) : AVERROR(EIO); }

int WritePacket(void* opaque, std::uint8_t* data, int size)
{
    return static_cast<wavio::OutputFile*>(opaque)->Write(data, std::size_t(size)) ? size : LastError();
}

std::int64_t SeekFile(void* opaque, std::int64_t offset, int whence)
{
    auto* file = static_cast<wavio::OutputFile*>(opaque);
    if (whence & AVSEEK_SIZE)
        return file->Size();
    const std::int64_t position = file->Seek(offset, whence & ~AVSEEK_FORCE);
    return position < 0 ? LastError() : position;
}

}  // namespace

bool NeedsGlobalHeader(const char* muxerName)
{
    const AVOutputFormat* format = av_guess_format(muxerName, nullptr, nullptr);
    return format && (format->flags & AVFMT_GLOBALHEADER);
}

AacMuxer::~AacMuxer()
{
    if (io_)
        av_freep(&io_->buffer);
    avio_context_free(&io_);
    avformat_free_context(format_);
}

bool AacMuxer::OpenIo(std::string& error)
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(IoBufferSize));
    if (buffer)
        io_ = avio_alloc_context(buffer, IoBufferSize, 1, &file_, nullptr, WritePacket, SeekFile);
    if (!io_) {
        av_free(buffer);
        error = "out of memory";
        return false;
    }
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    return true;
}

bool AacMuxer::Open(const std::filesystem::path& target, const char* muxerName, const AVCodecContext* codec,
                    bool mpeg2, std::string& error)
{
    int result = avformat_alloc_output_context2(&format_, nullptr, muxerName, nullptr);
    if (result < 0 || !(stream_ = avformat_new_stream(format_, nullptr))) {
        error = "cannot set up the " + std::string(muxerName) + " container";
        return false;
    }
    codecRate_ = codec->sample_rate;
    stream_->time_base = {1, codecRate_};
    if ((result = avcodec_parameters_from_context(stream_->codecpar, codec)) < 0) {
        error = AvError(result);
        return false;
    }
    if (!file_.Create(target, error) || !OpenIo(error))
        return false;
    AVDictionary* options = nullptr;
    if (std::strcmp(muxerName, "adts") == 0)
        av_dict_set(&options, "write_mpeg2", mpeg2 ? "1" : "0", 0);
    result = avformat_write_header(format_, &options);
    av_dict_free(&options);
    if (result < 0) {
        error = "cannot write the container header: " + AvError(result);
        return false;
    }
    return true;
}

bool AacMuxer::Write(AVPacket* packet, std::string& error)
{
    av_packet_rescale_ts(packet, {1, codecRate_}, stream_->time_base);
    packet->stream_index = stream_->index;
    if (const int result = av_interleaved_write_frame(format_, packet); result < 0) {
        error = "cannot write the output: " + AvError(result);
        return false;
    }
    return true;
}

bool AacMuxer::Finish(std::string& error)
{
    int result = av_write_trailer(format_);
    avio_flush(io_);
    if (result >= 0 && io_->error < 0)
        result = io_->error;
    if (result < 0) {
        error = "cannot finish the output: " + AvError(result);
        return false;
    }
    return file_.Commit(error);
}

}  // namespace faac
