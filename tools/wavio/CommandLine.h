// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Command lines of the form: options, then a fixed number of file
// arguments. The last arguments are always the files, so a file name may
// begin with "-"; "--" also ends the options. "--name=value" is accepted
// for options that take a value.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wavio {

struct OptionSpec {
    std::string name;  // with its dashes: "-q", "--rate"
    bool takesValue = false;
};

// Takes one option (value empty for a switch); false with the reason.
using OptionHandler = std::function<bool(const std::string& name, const std::string& value, std::string& error)>;

// Hands the options to handle in the order given and returns the files, or
// nothing with the reason in error.
std::optional<std::vector<std::string>> ParseCommandLine(int argc, char** argv, const std::vector<OptionSpec>& specs,
                                                         std::size_t fileCount, const OptionHandler& handle,
                                                         std::string& error);

// The whole text as a decimal integer within [low, high].
std::optional<int> ParseInteger(const std::string& text, int low, int high);

}  // namespace wavio
