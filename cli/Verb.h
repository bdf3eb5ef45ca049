// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Each verb of tremolix-cli registers itself from its own source file.

#include <string>
#include <vector>

namespace cli {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

using VerbFunction = int (*)(const std::vector<std::string>& args);

// Prints "tremolix-cli VERB: problem" and the verb's usage line to the
// error stream; returns ExitUsage.
int UsageError(const std::string& verb, const std::string& problem);

struct VerbRegistration {
    VerbRegistration(const char* name, const char* usage, VerbFunction function);
};

}  // namespace cli
