// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <algorithm>
#include <iostream>

#include "cli/Output.h"
#include "cli/Verb.h"
#include "platform/Version.h"

namespace cli {
namespace {

bool IsJsonOption(const std::string& arg)
{
    return arg == "--json" || arg.starts_with("--json=");
}

bool AsksForHelp(const std::vector<std::string>& args)
{
    return args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
}

int RunVerb(const Verb& verb, const std::vector<std::string>& args)
{
    if (AsksForHelp(args)) {
        PrintVerbHelp(std::cout, verb);
        return ExitOk;
    }
    if (!verb.takesJson && std::any_of(args.begin(), args.end(), IsJsonOption))
        return UsageError(verb.name, "takes no --json");
    return verb.function(args);
}

// A problem before any verb runs: one line on the error stream.
int ProgramUsageError(const std::string& problem)
{
    std::cerr << "tremolix-cli: " << problem << " (usage: tremolix-cli --help)\n";
    return ExitUsage;
}

int UnknownVerb(const std::string& name)
{
    return ProgramUsageError(std::string("unknown ") + (name.starts_with('-') ? "option" : "verb") + " \"" +
                             Escaped(name) + '"');
}

int PrintVersion(const std::vector<std::string>& args)
{
    if (!args.empty())
        return ProgramUsageError("--version takes no arguments");
    std::cout << "tremolix-cli " << platform::VersionText << '\n';
    return ExitOk;
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Tremolix Audio Converter");
    if (argc < 2) {
        std::cerr << "tremolix-cli: no verb given\n";
        cli::PrintUsage(std::cerr);
        return cli::ExitUsage;
    }
    std::string name = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (name == "--version")
        return cli::PrintVersion(args);
    if (name == "--help" || name == "-h")
        name = "help";
    const cli::Verb* verb = cli::FindVerb(name);
    return verb ? cli::RunVerb(*verb, args) : cli::UnknownVerb(name);
}
