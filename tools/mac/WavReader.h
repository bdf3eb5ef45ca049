#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "File.h"

namespace mac {

// Reads the samples of a 16-bit PCM WAV file (mono or stereo), skipping
// chunks it does not need.
class WavReader {
public:
    // False with a reason when the file cannot be read or is not such a WAV.
    bool Open(const std::filesystem::path& path, std::string& problem);

    int Channels() const { return channels_; }
    std::uint32_t SampleRate() const { return sampleRate_; }
    // Whole blocks present: a data chunk cut short counts for what it holds.
    std::uint64_t TotalBlocks() const { return totalBlocks_; }

    // Reads up to `count` blocks of interleaved samples; returns the blocks
    // read, which is fewer only at the end or on a read error.
    std::size_t Read(std::int16_t* samples, std::size_t count);

private:
    bool ReadChunks(std::uint64_t fileSize, std::string& problem);
    bool ReadFormat(std::uint32_t size, std::string& problem);

    FilePtr file_;
    int channels_ = 0;
    std::uint32_t sampleRate_ = 0;
    std::uint64_t totalBlocks_ = 0;
    std::uint64_t blocksLeft_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace mac
