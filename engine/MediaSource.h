// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The demuxing half of a decode stream: a regular file opened by content
// (its name and extension play no part), its first decodable audio stream
// and that stream's packets.

#include <cstdint>
#include <filesystem>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
}

namespace AudioLibrary::internal {

class MediaSource {
public:
    // nullptr when the file cannot be read or holds no decodable audio;
    // error then carries ErrorFileOpen or ErrorFormat.
    static std::unique_ptr<MediaSource> Open(const std::filesystem::path& path, int& error);
    ~MediaSource();
    MediaSource(const MediaSource&) = delete;
    MediaSource& operator=(const MediaSource&) = delete;

    const AVStream& Stream() const { return *stream_; }
    const AVCodec& Decoder() const { return *decoder_; }
    std::uint64_t FileSize() const { return fileSize_; }

    // Sample frames at the given rate that the container states for the
    // stream, 0 when it states none.
    std::uint64_t StatedFrames(int rate) const;

    // Fills packet with the next packet of the stream; false at the end of
    // the file or on a read error (a truncated file simply ends).
    bool ReadPacket(AVPacket* packet);

private:
    MediaSource() = default;
    int OpenFormat(const std::filesystem::path& path);
    bool SelectStream();

    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVStream* stream_ = nullptr;
    const AVCodec* decoder_ = nullptr;
    std::uint64_t fileSize_ = 0;
};

}  // namespace AudioLibrary::internal
