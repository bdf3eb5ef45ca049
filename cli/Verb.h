// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Each verb of tremolix-cli registers itself from its own source file.

#include <ostream>
#include <string>
#include <vector>

namespace cli {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

using VerbFunction = int (*)(const std::vector<std::string>& args);

struct Verb {
    const char* name;
    const char* usage;    // the arguments, as after "tremolix-cli NAME "
    const char* details;  // what it does and its options, whole lines
    VerbFunction function;
    bool takesJson = false;
};

struct VerbRegistration {
    explicit VerbRegistration(const Verb& verb);
};

// Nullptr when no verb has that name.
const Verb* FindVerb(const std::string& name);

// The program's usage: every verb's line.
void PrintUsage(std::ostream& out);

// The verb's usage line and details.
void PrintVerbHelp(std::ostream& out, const Verb& verb);

// Prints "tremolix-cli VERB: problem" and where its usage is shown, as one
// line on the error stream; returns ExitUsage.
int UsageError(const std::string& verb, const std::string& problem);

}  // namespace cli
