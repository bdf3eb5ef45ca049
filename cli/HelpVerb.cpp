// SPDX-License-Identifier: GPL-3.0-or-later
// tremolix-cli help [VERB]: the usage on standard output.

#include <iostream>

#include "cli/Verb.h"

namespace {

int Help(const std::vector<std::string>& args)
{
    if (args.empty()) {
        cli::PrintUsage(std::cout);
        return cli::ExitOk;
    }
    if (args.size() > 1)
        return cli::UsageError("help", "takes at most one VERB");
    const cli::Verb* verb = cli::FindVerb(args.front());
    if (!verb)
        return cli::UsageError("help", "unknown verb \"" + args.front() + "\"");
    cli::PrintVerbHelp(std::cout, *verb);
    return cli::ExitOk;
}

const cli::VerbRegistration registration({"help", "[VERB]",
                                          "  Without VERB, the usage of every verb; with one, its options.\n"
                                          "  --help and -h after the program or a verb do the same.\n",
                                          Help});

}  // namespace
