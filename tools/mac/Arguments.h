// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mac {

// The command line: INPUT OUTPUT [-cLEVEL] [--ignore-length]. The first two
// words are always the paths, so a name may start with "-"; INPUT "-" is
// standard input.
struct Arguments {
    std::filesystem::path input;
    std::filesystem::path output;
    int level = 2000;
    bool ignoreLength = false;  // read the input to its end, whatever its header says
};

extern const char* const kUsage;

// Empty when the words do not form a command; `problem` says why.
std::optional<Arguments> ParseArguments(const std::vector<std::string>& words, std::string& problem);

}  // namespace mac
