#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Md5.h"
#include "wavio/OutputFile.h"

namespace mac {

struct StreamShape {
    int level;
    int channels;
    std::uint32_t sampleRate;
    std::uint32_t blocksPerFrame;
    std::uint64_t totalBlocks;
};

// Lays out a Monkey's Audio file: descriptor, header, seek table and the
// frames. Write errors and files past the format's limits throw.
class ApeWriter {
public:
    ApeWriter(wavio::OutputFile& file, const StreamShape& shape);

    void WriteFrame(const std::vector<std::uint8_t>& frame);
    // Fills in the descriptor, header and seek table at the file's start.
    void Finish();

    std::uint32_t TotalFrames() const { return totalFrames_; }

private:
    std::vector<std::uint8_t> Header() const;
    std::vector<std::uint8_t> SeekTable() const;
    std::vector<std::uint8_t> Descriptor(const std::array<std::uint8_t, 16>& md5) const;

    wavio::OutputFile& file_;
    StreamShape shape_;
    std::uint32_t totalFrames_;
    std::uint64_t firstFrame_;
    std::uint64_t frameBytes_ = 0;
    std::vector<std::uint32_t> seekTable_;
    Md5 md5_;
};

}  // namespace mac
