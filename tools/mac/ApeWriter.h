// SPDX-License-Identifier: GPL-3.0-or-later
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
};

// Lays out a Monkey's Audio file: descriptor, header, seek table and the
// frames. The seek table comes first but its size is only certain at the
// end, so room is kept for the blocks expected and the frames are moved
// once at Finish when the input held more or fewer. Write errors and files
// past the format's limits throw.
class ApeWriter {
public:
    ApeWriter(wavio::OutputFile& file, const StreamShape& shape, std::uint64_t expectedBlocks);

    // A frame of `blocks` blocks; only the last may be shorter than a full one.
    void WriteFrame(const std::vector<std::uint8_t>& frame, std::uint32_t blocks);
    // Fills in the descriptor, header and seek table at the file's start.
    void Finish();

private:
    std::uint32_t TotalFrames() const { return static_cast<std::uint32_t>(frameStarts_.size()); }
    std::vector<std::uint8_t> Header() const;
    std::vector<std::uint8_t> SeekTable(std::uint64_t firstFrame) const;
    std::vector<std::uint8_t> Descriptor(const std::array<std::uint8_t, 16>& md5) const;
    void PlaceFrames(std::uint64_t firstFrame);

    wavio::OutputFile& file_;
    StreamShape shape_;
    std::uint64_t reservedStart_;  // where the frames were written
    std::uint64_t frameBytes_ = 0;
    std::uint64_t totalBlocks_ = 0;
    std::uint32_t lastBlocks_ = 0;
    std::vector<std::uint64_t> frameStarts_;  // from the first frame's start
    Md5 md5_;
};

}  // namespace mac
