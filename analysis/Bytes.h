// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Fixed-width numbers inside byte buffers, as the stream headers store them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t ReadLE32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline std::uint16_t ReadLE16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t ReadBE32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

inline std::uint32_t ReadBE24(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]);
}

inline void AppendLE32(Bytes& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(value >> shift));
}

inline void AppendBE24(Bytes& out, std::uint32_t value)
{
    for (int shift = 16; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

inline void AppendText(Bytes& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

// True when the buffer holds at least text's length and begins with it.
inline bool StartsWith(const Bytes& bytes, std::string_view text, std::size_t at = 0)
{
    return bytes.size() >= at + text.size() &&
           std::equal(text.begin(), text.end(), bytes.begin() + std::ptrdiff_t(at),
                      [](char c, std::uint8_t b) { return std::uint8_t(c) == b; });
}

}  // namespace analysis
