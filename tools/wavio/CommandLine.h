#pragma once

// Command lines of the form: options, then a fixed number of file
// arguments. The last arguments are always the files, so a file name may
// begin with "-"; "--" also ends the options. "--name=value" is accepted
// for options that take a value.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wavio {

struct OptionSpec {
    std::string name;  // with its dashes: "-q", "--rate"
    bool takesValue = false;
};

struct CommandLine {
    std::vector<std::pair<std::string, std::string>> options;  // in the order given
    std::vector<std::string> files;
};

std::optional<CommandLine> ParseCommandLine(int argc, char** argv, const std::vector<OptionSpec>& specs,
                                            std::size_t fileCount, std::string& error);

// The whole text as a decimal integer within [low, high].
std::optional<int> ParseInteger(const std::string& text, int low, int high);

}  // namespace wavio
