// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Running a built tool with bytes fed to its standard input through a pipe,
// as the converter streams decoded audio into an encoder.

#include "FaacSsrcTestSupport.h"

#include <string>
#include <vector>

namespace toolstest {

// Runs the tool ("faac", "ssrc", "mac") with the arguments, writing input
// to a pipe on its standard input and closing it; a tool that stops reading
// early only cuts the writing short.
ToolRun RunPiped(const std::string& tool, const std::vector<std::string>& args, const std::string& input);

}  // namespace toolstest
