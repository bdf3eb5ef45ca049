// SPDX-License-Identifier: GPL-3.0-or-later
#include "Md5.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace mac {
namespace {

constexpr std::array<std::uint32_t, 64> kSines = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr std::array<int, 16> kShifts = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

}  // namespace

void Md5::Transform(const std::uint8_t* block)
{
    std::array<std::uint32_t, 16> words {};
    for (int i = 0; i < 16; ++i)
        words[i] = std::uint32_t {block[4 * i]} | std::uint32_t {block[4 * i + 1]} << 8 |
                   std::uint32_t {block[4 * i + 2]} << 16 | std::uint32_t {block[4 * i + 3]} << 24;

    auto [a, b, c, d] = state_;
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        std::uint32_t f = 0;
        int g = 0;
        switch (round) {
        case 0: f = (b & c) | (~b & d); g = i; break;
        case 1: f = (d & b) | (~d & c); g = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; g = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); g = (7 * i) % 16; break;
        }
        const std::uint32_t next = b + std::rotl(a + f + kSines[i] + words[g], kShifts[round * 4 + i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

void Md5::Update(const std::uint8_t* bytes, std::size_t count)
{
    totalBytes_ += count;
    while (count > 0) {
        const std::size_t take = std::min(count, pending_.size() - pendingCount_);
        std::memcpy(pending_.data() + pendingCount_, bytes, take);
        pendingCount_ += take;
        bytes += take;
        count -= take;
        if (pendingCount_ == pending_.size()) {
            Transform(pending_.data());
            pendingCount_ = 0;
        }
    }
}

std::array<std::uint8_t, 16> Md5::Finish()
{
    const std::uint64_t bits = totalBytes_ * 8;
    const std::uint8_t marker = 0x80;
    Update(&marker, 1);
    const std::uint8_t zero = 0;
    while (pendingCount_ != 56)
        Update(&zero, 1);
    std::array<std::uint8_t, 8> length {};
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Update(length.data(), length.size());

    std::array<std::uint8_t, 16> digest {};
    for (int i = 0; i < 16; ++i)
        digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (8 * (i % 4)));
    return digest;
}

}  // namespace mac
