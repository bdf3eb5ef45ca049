// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <iostream>
#include <map>

#include "cli/Verb.h"

namespace cli {
namespace {

struct Verb {
    const char* usage;
    VerbFunction function;
};

std::map<std::string, Verb>& Verbs()
{
    static std::map<std::string, Verb> verbs;
    return verbs;
}

int Usage(const std::string& problem)
{
    std::cerr << "tremolix-cli: " << problem << "\nusage:\n";
    for (const auto& [name, verb] : Verbs())
        std::cerr << "  tremolix-cli " << verb.usage << '\n';
    return ExitUsage;
}

}  // namespace

int UsageError(const std::string& verb, const std::string& problem)
{
    std::cerr << "tremolix-cli " << verb << ": " << problem << '\n';
    if (const auto found = Verbs().find(verb); found != Verbs().end())
        std::cerr << "usage: tremolix-cli " << found->second.usage << '\n';
    return ExitUsage;
}

VerbRegistration::VerbRegistration(const char* name, const char* usage, VerbFunction function)
{
    Verbs()[name] = Verb{usage, function};
}

}  // namespace cli

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Tremolix Audio Converter");
    if (argc < 2)
        return cli::Usage("no verb given");
    const auto verb = cli::Verbs().find(argv[1]);
    if (verb == cli::Verbs().end())
        return cli::Usage(std::string("unknown verb \"") + argv[1] + "\"");
    return verb->second.function(std::vector<std::string>(argv + 2, argv + argc));
}
