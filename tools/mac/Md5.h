// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mac {

// MD5 message digest (RFC 1321), fed in pieces.
class Md5 {
public:
    void Update(const std::uint8_t* bytes, std::size_t count);
    std::array<std::uint8_t, 16> Finish();

private:
    void Transform(const std::uint8_t* block);

    std::array<std::uint32_t, 4> state_ {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::array<std::uint8_t, 64> pending_ {};
    std::size_t pendingCount_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace mac
