// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>

#include "cli/Verb.h"
#include "engine/FormatTable.h"

namespace {

int Formats(const std::vector<std::string>& args)
{
    if (!args.empty())
        return cli::UsageError("formats", "takes no arguments, got \"" + args.front() + "\"");
    for (const char* name : engine::DisplayNamesInListOrder())
        std::cout << name << '\n';
    return cli::ExitOk;
}

const cli::VerbRegistration registration(
    {"formats", "", "  The output formats, one name a line, in the order of the format list.\n", Formats});

}  // namespace
