// SPDX-License-Identifier: GPL-3.0-or-later
#include "RangeEncoder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace mac {
namespace {

constexpr std::uint32_t kBottom = 1u << 23;
constexpr std::uint32_t kCarryFree = 0x7F800000;
constexpr std::uint32_t kCarry = 0x80000000;

// Cumulative starts of the overflow symbols 0..21; from 21 on every symbol
// is one wide, the last (63) being the escape.
constexpr std::array<std::uint32_t, 22> kCumulative = {
    0,     19578, 36160, 48417, 56323, 60899, 63265, 64435, 64971, 65232, 65351,
    65416, 65447, 65466, 65476, 65482, 65485, 65488, 65490, 65491, 65492, 65493};
constexpr std::uint32_t kEscape = 63;

void EncodeOverflow(std::uint32_t symbol, RangeEncoder& coder)
{
    if (symbol < 21)
        coder.EncodeFrequency(kCumulative[symbol], kCumulative[symbol + 1] - kCumulative[symbol]);
    else
        coder.EncodeFrequency(65472 + symbol, 1);
}

}  // namespace

void RangeEncoder::Release(bool carry)
{
    bytes_.push_back(static_cast<std::uint8_t>(buffer_ + (carry ? 1 : 0)));
    bytes_.insert(bytes_.end(), pending_, carry ? 0x00 : 0xFF);
    pending_ = 0;
}

void RangeEncoder::Normalize()
{
    while (range_ <= kBottom) {
        if (low_ < kCarryFree) {
            Release(false);
            buffer_ = static_cast<std::uint8_t>(low_ >> 23);
        } else if (low_ >= kCarry) {
            Release(true);
            buffer_ = static_cast<std::uint8_t>(low_ >> 23);
        } else {
            ++pending_;
        }
        low_ = (low_ << 8) & (kCarry - 1);
        range_ <<= 8;
    }
}

void RangeEncoder::EncodeFrequency(std::uint32_t start, std::uint32_t width)
{
    Normalize();
    const std::uint32_t unit = range_ >> 16;
    range_ = unit * width;
    low_ += unit * start;
}

void RangeEncoder::EncodeUniform(std::uint32_t value, std::uint32_t total)
{
    Normalize();
    const std::uint32_t unit = range_ / total;
    range_ = unit;
    low_ += unit * value;
}

void RangeEncoder::EncodeRaw16(std::uint32_t value)
{
    Normalize();
    range_ >>= 16;
    low_ += range_ * value;
}

std::vector<std::uint8_t> RangeEncoder::Finish()
{
    Normalize();
    const std::uint32_t last = (low_ >> 23) + 1;
    Release(last > 255);
    bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(last), 0, 0, 0});
    return std::move(bytes_);
}

void ValueCoder::Encode(std::int32_t value, RangeEncoder& coder)
{
    const std::uint32_t twice = static_cast<std::uint32_t>(value) << 1;
    const std::uint32_t u = value > 0 ? twice - 1 : 0u - twice;
    const std::uint32_t pivot = std::max<std::uint32_t>(ksum_ >> 5, 1);
    const std::uint32_t overflow = u / pivot;
    const std::uint32_t base = u - overflow * pivot;
    ksum_ += (u + 1) / 2 - ((ksum_ + 16) >> 5);

    if (overflow < kEscape) {
        EncodeOverflow(overflow, coder);
    } else {
        EncodeOverflow(kEscape, coder);
        coder.EncodeRaw16(overflow >> 16);
        coder.EncodeRaw16(overflow & 0xFFFF);
    }
    if (pivot < 65536) {
        coder.EncodeUniform(base, pivot);
    } else {
        const int low = std::bit_width(pivot) - 16;
        coder.EncodeUniform(base >> low, (pivot >> low) + 1);
        coder.EncodeUniform(base & ((1u << low) - 1), 1u << low);
    }
}

}  // namespace mac
