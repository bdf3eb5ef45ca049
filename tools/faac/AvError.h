// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace faac {

// libav's text for an error code.
std::string AvError(int code);

}  // namespace faac
