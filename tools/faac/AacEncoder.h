// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// libavcodec's AAC encoder (profile LC), fed interleaved float frames.

#include "faac/AacSettings.h"
#include "wavio/WavFormat.h"

#include <functional>
#include <string>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace faac {

class AacEncoder {
public:
    using PacketSink = std::function<bool(AVPacket* packet, std::string& error)>;

    AacEncoder() = default;
    ~AacEncoder();
    AacEncoder(const AacEncoder&) = delete;
    AacEncoder& operator=(const AacEncoder&) = delete;

    // globalHeader: the container keeps the decoder set-up itself (MP4).
    bool Open(const wavio::WavFormat& format, const AacSettings& settings, bool globalHeader,
              std::string& error);
    const AVCodecContext* Context() const { return context_; }
    int FrameSize() const;

    // frames at most FrameSize(); every finished packet goes to sink.
    bool Encode(const float* interleaved, int frames, const PacketSink& sink, std::string& error);
    bool Flush(const PacketSink& sink, std::string& error);

private:
    bool Drain(const PacketSink& sink, std::string& error);

    AVCodecContext* context_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    long long nextPts_ = 0;
};

}  // namespace faac
