// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One of FFmpeg's encoders writing one file through one of its muxers, fed
// with 16- or 24-bit interleaved PCM that libswresample brings to the
// encoder's rate, channel count and sample format. The in-process outputs (WMA,
// Apple Lossless) are this with their own codec and container.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/FfmpegPointers.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

namespace engine {

struct FileEncoderSettings {
    AVCodecID codec = AV_CODEC_ID_NONE;
    const char* muxer = "";
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_NONE;
    std::uint32_t rate = 0;
    std::uint32_t channels = 0;
    // The speakers as a WAVE channel mask; 0: the usual ones for the count.
    // A codec that cannot place them gets its own layout of that count.
    std::uint64_t channelMask = 0;
    int bitsPerRawSample = 0;  // 0: all the sample format holds
    std::int64_t bitrate = 0;  // 0: the codec's own choice
    // Codec options as "-name value" pairs, e.g. "-compression_level 1".
    std::string options;
};

// The codec opened for the settings; nullptr when it refuses them or
// the options hold a name it does not know.
ffmpeg::CodecContextPtr OpenEncoderContext(const AVCodec* codec, const FileEncoderSettings& settings,
                                           bool globalHeader);

class FileEncoder {
public:
    enum class OpenResult { Ok, NoCodec, NotSupported, FileOpen, Failed };

    FileEncoder() = default;
    ~FileEncoder();
    FileEncoder(const FileEncoder&) = delete;
    FileEncoder& operator=(const FileEncoder&) = delete;

    OpenResult Open(const FileEncoderSettings& settings, const std::filesystem::path& path);
    // The PCM that Write takes from now on (bits 16, or 24 in three bytes);
    // earlier data is encoded first. Channels as many as the encoder's are
    // taken as its own, in its order.
    bool SetSource(std::uint32_t rate, std::uint32_t channels, std::uint32_t bits = 16);
    const AVChannelLayout& ChannelLayout() const { return codec_->ch_layout; }
    bool Write(const std::uint8_t* data, std::size_t bytes);
    // Encodes what is left, writes the trailer and closes the file.
    bool Close();

private:
    int FrameSize() const;
    bool Convert(const std::uint8_t* source, int samples);
    const std::uint8_t* Widen(const std::uint8_t* source, int samples);
    bool EncodeFull();
    bool Drain(bool last);
    bool EncodeFromFifo(int samples);
    bool SendFrame(AVFrame* frame);

    ffmpeg::CodecContextPtr codec_;
    AVFormatContext* format_ = nullptr;
    ffmpeg::ResamplerPtr resampler_;
    AVAudioFifo* fifo_ = nullptr;
    ffmpeg::FramePtr frame_;
    ffmpeg::PacketPtr packet_;
    std::vector<std::vector<std::uint8_t>> planes_;
    std::vector<std::uint8_t> carry_;
    std::vector<std::int32_t> widened_;  // 24-bit input as the resampler takes it
    std::size_t sourceBlock_ = 4;
    int sourceWidth_ = 2;
    std::int64_t nextPts_ = 0;
};

}  // namespace engine
