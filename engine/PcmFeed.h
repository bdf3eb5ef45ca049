// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The decoded PCM of a stream as a WAV stream for an encoder's standard
// input: the header first, then the data block by block.

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/AudioLibrary.h"

namespace engine {

// The share of the stream decoded so far, 0 to scale.
std::int32_t DecodeProgress(AudioLibrary::Handle channel, std::int32_t scale);

class PcmFeed {
public:
    // unknownLength: the header declares no length, for encoders that would
    // stop at a declared one; otherwise it declares the decoder's best
    // knowledge, which only encoders reading to the end are given.
    PcmFeed(AudioLibrary::Handle channel, bool unknownLength);

    // The next bytes to write; false at the end of the stream or on a
    // decode failure (then Failed()).
    bool Next(std::vector<std::uint8_t>& block);
    bool Failed() const { return failed_; }
    // True once the decoder has delivered its last data.
    bool Ended() const { return ended_; }
    std::uint64_t DataBytes() const { return dataBytes_; }

private:
    AudioLibrary::Handle channel_;
    bool unknownLength_;
    bool headerSent_ = false;
    bool failed_ = false;
    bool ended_ = false;
    std::uint64_t dataBytes_ = 0;
};

}  // namespace engine
