// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "support/TempFolder.h"
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

// The same with the two streams apart, for tests of where a text goes.
struct CliStreams {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline CliStreams RunCliStreams(std::vector<std::string> args)
{
    const testsupport::TempFolder folder;
    const std::string errFile = (folder / "stderr").string();
    args.insert(args.begin(), {"sh", "-c", "err=$1; shift; exec \"$@\" 2>\"$err\"", "sh", errFile,
                               (testaudio::BuildProgramFolder() / "tremolix-cli").string()});
    CliStreams result;
    result.exitCode = testaudio::Run(args, &result.out);
    result.err = testaudio::ReadBytes(errFile);
    return result;
}
