// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small byte-level helpers shared by the tag classes.

#include <cstdint>
#include <string>
#include <string_view>

namespace tagbytes {

std::uint32_t Le32(std::string_view bytes, std::size_t at);
std::string Le32Bytes(std::uint32_t value);

// Decimal digits only (an empty text is 0); false for anything else.
bool ParseDigits(std::string_view text, std::uint64_t& value);

// Equal when ASCII letter case is ignored.
bool SameLetters(std::string_view a, std::string_view b);

}  // namespace tagbytes
