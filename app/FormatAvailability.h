// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace app {

// Why the output format cannot be made on this system, for the user; empty
// when it can.
std::string FormatUnavailableReason(std::uint8_t format);

}  // namespace app
