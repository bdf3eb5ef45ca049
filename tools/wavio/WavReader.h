// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads the samples of a PCM or float WAV file block by block. The header
// parser walks the RIFF chunks, skipping any it does not know, and trusts no
// size it cannot verify against the file.
//
// The path "-" reads standard input: the header is parsed without seeking
// and the data runs to the end of the stream when its length is unknown (a
// declared size of 0 or 0xFFFFFFFF, or lengths ignored on request), so a
// stream longer than a WAV header can describe is read whole.

#include "wavio/WavFormat.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace wavio {

// The input path that names standard input.
constexpr const char* StandardInputPath = "-";

// How messages name the input: "standard input" for "-".
std::string InputName(const std::filesystem::path& path);

class WavReader {
public:
    WavReader() = default;
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // False with a reason when the input cannot be read or is no WAV file
    // of a supported layout. ignoreLength: read the data to the end of the
    // file or stream whatever the header declares.
    bool Open(const std::filesystem::path& path, bool ignoreLength, std::string& error);

    const WavFormat& Format() const { return format_; }
    // The frames the input should hold: exact for a file or a stream whose
    // length is taken from its header, the header's claim when lengths are
    // ignored, 0 when nothing is known. For progress and layout, never for
    // stopping: Read says where the data ends.
    std::uint64_t ExpectedFrames() const { return expectedFrames_; }

    // Reads up to maxFrames whole frames of raw little-endian samples into
    // buffer (room for maxFrames * BlockAlign bytes); fewer only at the end
    // of the data, 0 after it or on a read error (then Failed() is true). A
    // partial frame at the end of a stream is dropped.
    std::size_t Read(std::uint8_t* buffer, std::size_t maxFrames);
    bool Failed() const { return failed_; }

private:
    bool OpenFile(const std::filesystem::path& path, std::string& error);
    bool ParseChunks(bool ignoreLength, std::string& error);
    bool ParseFormatChunk(std::uint32_t size, std::string& error);
    void StartData(std::uint32_t declared, bool ignoreLength);
    bool ReadExactly(void* buffer, std::size_t size);
    bool SkipTo(std::uint64_t position);

    std::FILE* file_ = nullptr;
    bool stream_ = false;
    std::uint64_t inputSize_ = 0;  // a stream's is unbounded
    std::uint64_t position_ = 0;
    WavFormat format_;
    std::uint64_t expectedFrames_ = 0;
    std::uint64_t framesLeft_ = 0;
    bool failed_ = false;
};

}  // namespace wavio
