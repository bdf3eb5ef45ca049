// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/JsonOption.h"

namespace cli {

bool TakeJsonOption(const std::string& arg, bool& json, std::string& problem)
{
    if (arg.starts_with("--json="))
        problem = "--json takes no value, got \"" + arg + "\"";
    else if (arg != "--json")
        return false;
    else if (json)
        problem = "--json given twice";
    json = true;
    return true;
}

}  // namespace cli
