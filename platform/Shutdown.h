// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace platform {

// Asks the login manager to power the computer off; true when it accepted.
bool ShutdownComputer(bool force);

// Tests replace the power-off request; an empty function restores it.
using PowerOffRequest = std::function<bool(bool force)>;
void SetPowerOffRequest(PowerOffRequest request);

}  // namespace platform
