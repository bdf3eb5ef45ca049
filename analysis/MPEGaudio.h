// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for MPEG audio files (MPEG 1, 2 and 2.5, Layers I to III): a
// first frame header confirmed by the one that follows it makes the file's
// ID3v1 and ID3v2 tags count; without one nothing is reported.

#include "analysis/Bytes.h"
#include "analysis/TagHolder.h"

#include <filesystem>

struct TMPEGframe {
    bool Found = false;
    std::uint32_t Position = 0;       // within the search block
    std::uint16_t Length = 0;         // bytes
    std::uint8_t VersionCode = 1;     // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
    std::uint8_t LayerCode = 0;       // 0 reserved, 1 Layer III, 2 Layer II, 3 Layer I
    std::uint16_t BitRateIndex = 0;
    std::uint16_t SampleRateIndex = 3;
    bool Padded = false;
    std::uint8_t EmphasisCode = 2;
};

namespace analysis {

constexpr std::size_t MPEGBlockSize = 3458;  // twice the largest frame searched for

bool IsFrameHeader(const std::uint8_t* bytes);
TMPEGframe DecodeFrameHeader(const std::uint8_t* bytes);
int FrameBitRate(const TMPEGframe& frame);     // kbit/s, 0 for free format and reserved codes
int FrameSampleRate(const TMPEGframe& frame);  // Hz
std::uint16_t FrameLength(const TMPEGframe& frame);
// The first confirmed frame among the block's first 1730 positions. Bytes
// past the block's size count as zero.
TMPEGframe FindFrame(const Bytes& block);

}  // namespace analysis

class TMPEGaudio : public TTagHolder {
public:
    void Clear();
    // True when the file could be read, whether or not a frame was found;
    // without a frame every field and tag is cleared again.
    bool Load(const std::filesystem::path& path);

    TMPEGframe Frame;

private:
    bool Search(const std::filesystem::path& path);
};
