// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/CommandLine.h"

#include <algorithm>
#include <charconv>

namespace wavio {
namespace {

const OptionSpec* FindSpec(const std::vector<OptionSpec>& specs, const std::string& name)
{
    const auto found = std::find_if(specs.begin(), specs.end(), [&](const OptionSpec& s) { return s.name == name; });
    return found == specs.end() ? nullptr : &*found;
}

}  // namespace

std::optional<std::vector<std::string>> ParseCommandLine(int argc, char** argv, const std::vector<OptionSpec>& specs,
                                                         std::size_t fileCount, const OptionHandler& handle,
                                                         std::string& error)
{
    const std::vector<std::string> args(argv + 1, argv + std::max(argc, 1));
    if (args.size() < fileCount) {
        error = "missing file argument";
        return std::nullopt;
    }
    std::size_t i = 0;
    const std::size_t filesStart = args.size() - fileCount;
    while (i < filesStart) {
        std::string name = args[i++];
        if (name == "--")
            break;
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* spec = FindSpec(specs, name);
        if (!spec || (value && !spec->takesValue)) {
            error = name.starts_with("-") ? "unknown option " + name : "unexpected argument " + name;
            return std::nullopt;
        }
        if (spec->takesValue && !value) {
            if (i >= filesStart) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            value = args[i++];
        }
        if (!handle(name, value.value_or(""), error))
            return std::nullopt;
    }
    if (args.size() - i != fileCount) {
        error = args.size() - i < fileCount ? "missing file argument" : "too many file arguments";
        return std::nullopt;
    }
    return std::vector<std::string>(args.begin() + std::ptrdiff_t(i), args.end());
}

std::optional<int> ParseInteger(const std::string& text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    if (text.empty() || failure != std::errc() || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace wavio
