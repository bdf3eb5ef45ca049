// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace mac {

// The IEEE 802.3 CRC-32 (reflected 0xEDB88320), as zlib computes it.
class Crc32 {
public:
    void Update(const std::uint8_t* bytes, std::size_t count);
    std::uint32_t Value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFF;
};

}  // namespace mac
