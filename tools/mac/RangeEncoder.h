// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace mac {

// Carry-deferring range coder whose byte stream the decoder reads one byte
// per renormalisation; a fresh one starts every frame.
class RangeEncoder {
public:
    // A symbol of a model whose widths add up to 2^16.
    void EncodeFrequency(std::uint32_t start, std::uint32_t width);
    // A value 0 <= value < total, total <= 2^16, all equally likely.
    void EncodeUniform(std::uint32_t value, std::uint32_t total);
    void EncodeRaw16(std::uint32_t value);
    // Writes what the decoder still needs; returns the frame's coded bytes.
    std::vector<std::uint8_t> Finish();

private:
    void Normalize();
    // Emits the buffered byte and the deferred ones, resolving the carry.
    void Release(bool carry);

    std::vector<std::uint8_t> bytes_;
    std::uint32_t low_ = 0;
    std::uint32_t range_ = 1u << 31;
    std::uint8_t buffer_ = 0;
    std::uint32_t pending_ = 0;
};

// Adaptive coder of one channel's residuals over a shared range coder.
class ValueCoder {
public:
    void Encode(std::int32_t value, RangeEncoder& coder);

private:
    std::uint32_t ksum_ = 16384;
};

}  // namespace mac
