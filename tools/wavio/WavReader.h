#pragma once

// Reads the samples of a PCM or float WAV file block by block. The header
// parser walks the RIFF chunks, skipping any it does not know, and trusts no
// size it cannot verify against the file.

#include "wavio/WavFormat.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace wavio {

class WavReader {
public:
    WavReader() = default;
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // False with a reason when the file cannot be read or is no WAV file
    // of a supported layout.
    bool Open(const std::filesystem::path& path, std::string& error);

    const WavFormat& Format() const { return format_; }
    std::uint64_t TotalFrames() const { return totalFrames_; }

    // Reads up to maxFrames whole frames of raw little-endian samples into
    // buffer (room for maxFrames * BlockAlign bytes); 0 at the end of the
    // data or on a read error (then Failed() is true).
    std::size_t Read(std::uint8_t* buffer, std::size_t maxFrames);
    bool Failed() const { return failed_; }

private:
    bool ParseChunks(std::string& error);
    bool ParseFormatChunk(std::uint32_t size, std::string& error);

    std::FILE* file_ = nullptr;
    std::uint64_t fileSize_ = 0;
    WavFormat format_;
    std::uint64_t totalFrames_ = 0;
    std::uint64_t framesLeft_ = 0;
    bool failed_ = false;
};

}  // namespace wavio
