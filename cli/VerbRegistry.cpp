// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>
#include <map>

#include "cli/Output.h"
#include "cli/Verb.h"

namespace cli {
namespace {

std::map<std::string, Verb>& Verbs()
{
    static std::map<std::string, Verb> verbs;
    return verbs;
}

std::string UsageLine(const Verb& verb)
{
    std::string line = std::string("tremolix-cli ") + verb.name;
    if (*verb.usage)
        line.append(" ").append(verb.usage);
    return line;
}

}  // namespace

VerbRegistration::VerbRegistration(const Verb& verb)
{
    Verbs()[verb.name] = verb;
}

const Verb* FindVerb(const std::string& name)
{
    const auto found = Verbs().find(name);
    return found == Verbs().end() ? nullptr : &found->second;
}

void PrintUsage(std::ostream& out)
{
    out << "usage: tremolix-cli VERB [ARGUMENTS]\n";
    for (const auto& [name, verb] : Verbs())
        out << "  " << UsageLine(verb) << '\n';
    out << "  tremolix-cli --version\n"
           "tremolix-cli help VERB describes a verb and its options.\n";
}

void PrintVerbHelp(std::ostream& out, const Verb& verb)
{
    out << "usage: " << UsageLine(verb) << '\n' << verb.details;
}

int UsageError(const std::string& verb, const std::string& problem)
{
    std::cerr << "tremolix-cli " << verb << ": " << Escaped(problem) << " (usage: tremolix-cli help " << verb
              << ")\n";
    return ExitUsage;
}

}  // namespace cli
