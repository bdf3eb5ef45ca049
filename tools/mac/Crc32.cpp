// SPDX-License-Identifier: GPL-3.0-or-later
#include "Crc32.h"

#include <array>

namespace mac {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table {};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr auto kTable = MakeTable();

}  // namespace

void Crc32::Update(const std::uint8_t* bytes, std::size_t count)
{
    std::uint32_t c = state_;
    for (std::size_t i = 0; i < count; ++i)
        c = kTable[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    state_ = c;
}

}  // namespace mac
