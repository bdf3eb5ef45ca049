// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "support/TestAudio.h"

// Runs the built tremolix-cli; returns its exit code and its output.
struct CliResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

inline CliResult RunCli(std::vector<std::string> args)
{
    args.insert(args.begin(), (testaudio::BuildProgramFolder() / "tremolix-cli").string());
    CliResult result;
    result.exitCode = testaudio::Run(args, &result.output);
    return result;
}
