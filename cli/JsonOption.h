// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace cli {

// Whether arg is a form of --json, which json then records; a repeated one
// or one with a value sets problem.
bool TakeJsonOption(const std::string& arg, bool& json, std::string& problem);

}  // namespace cli
