// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The demuxing half of a decode stream: a regular file opened by content
// (its name and extension play no part), its first decodable audio stream
// and that stream's packets.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

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
    // Sample frames at the given rate that the file declares for the
    // stream even when it ends before them; 0 when it declares none or the
    // length is only a guess from the bit rate.
    std::uint64_t DeclaredFrames(int rate) const;

    // The stream's span read from its packets' timestamps: from its first
    // packet to the end of its last whole one (a packet cut short by the end
    // of the file ends it where it begins). Nothing is decoded but a last
    // packet without a duration.
    struct PacketSpan {
        double seconds = 0;
        double longestPacket = 0;  // seconds
    };
    // Reads the rest of the stream; nullopt when a packet has no timestamp.
    std::optional<PacketSpan> MeasurePackets();

    // Fills packet with the next packet of the stream; false at the end of
    // the file or on a read error (a truncated file simply ends).
    bool ReadPacket(AVPacket* packet);

private:
    MediaSource() = default;
    int OpenFormat(const std::filesystem::path& path);
    bool SelectStream();
    // The duration the packet decodes to on its own, in the stream's time
    // base; 0 when it does not decode.
    std::int64_t DecodeAlone(const AVPacket* packet) const;

    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVStream* stream_ = nullptr;
    const AVCodec* decoder_ = nullptr;
    std::uint64_t fileSize_ = 0;
    // What a WAV header declares: FFmpeg guesses instead when the file is
    // shorter than that.
    std::uint32_t declaredWavBytes_ = 0;
};

}  // namespace AudioLibrary::internal
