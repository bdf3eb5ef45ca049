// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Puts AAC packets into an ADTS stream or an MP4 file, written through an
// OutputFile so that only a finished file appears under the output name.

#include "wavio/OutputFile.h"

#include <filesystem>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVIOContext;
struct AVPacket;
struct AVStream;

namespace faac {

// Whether the muxer wants the decoder set-up out of band (MP4 does).
bool NeedsGlobalHeader(const char* muxerName);

class AacMuxer {
public:
    AacMuxer() = default;
    ~AacMuxer();
    AacMuxer(const AacMuxer&) = delete;
    AacMuxer& operator=(const AacMuxer&) = delete;

    // mpeg2: ADTS headers say MPEG-2 instead of MPEG-4.
    bool Open(const std::filesystem::path& target, const char* muxerName, const AVCodecContext* codec,
              bool mpeg2, std::string& error);
    bool Write(AVPacket* packet, std::string& error);
    bool Finish(std::string& error);

private:
    bool OpenIo(std::string& error);

    wavio::OutputFile file_;
    AVFormatContext* format_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVStream* stream_ = nullptr;
    int codecRate_ = 0;
};

}  // namespace faac
