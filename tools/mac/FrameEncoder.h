#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "CompressionLevel.h"

namespace mac {

// Compresses blocks (one sample per channel) into frames that decode
// independently of each other.
class FrameEncoder {
public:
    FrameEncoder(const CompressionLevel& level, int channels);
    ~FrameEncoder();

    // Adds `count` blocks of interleaved samples to the current frame.
    void Add(const std::int16_t* samples, std::size_t count);
    // The current frame as stored in the file, a whole number of 32-bit
    // words; the next Add starts a new frame.
    std::vector<std::uint8_t> Finish();

private:
    struct State;

    CompressionLevel level_;
    int channels_;
    std::unique_ptr<State> state_;
};

}  // namespace mac
