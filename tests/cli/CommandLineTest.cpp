// SPDX-License-Identifier: GPL-3.0-or-later
// Help, version, usage errors and the shared FILE... [--json] arguments.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "cli/CliRunner.h"
#include "cli/FileArguments.h"
#include "platform/Version.h"

namespace {

const char* const VerbNames[] = {"convert", "formats", "help", "presets", "probe", "tags"};

std::size_t Lines(const std::string& text)
{
    return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

// The options a usage line names ("--jobs" of "[--jobs N]").
std::vector<std::string> OptionsOf(const std::string& usageLine)
{
    std::vector<std::string> options;
    const std::regex option("--[a-z-]+");
    for (std::sregex_iterator it(usageLine.begin(), usageLine.end(), option), end; it != end; ++it)
        options.push_back(it->str());
    return options;
}

}  // namespace

TEST(CommandLine, HelpGoesToStandardOutputWithEveryVerb)
{
    const CliStreams help = RunCliStreams({"help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const char* verb : VerbNames)
        EXPECT_NE(help.out.find(std::string("\n  tremolix-cli ") + verb), std::string::npos) << verb;
    EXPECT_NE(help.out.find("tremolix-cli --version"), std::string::npos);
    for (const char* same : {"--help", "-h"}) {
        const CliStreams other = RunCliStreams({same});
        EXPECT_EQ(other.exitCode, 0) << same;
        EXPECT_EQ(other.out, help.out) << same;
        EXPECT_EQ(other.err, "") << same;
    }
}

TEST(CommandLine, HelpOfAVerbDescribesEveryOptionOfItsUsage)
{
    for (const char* verb : VerbNames) {
        SCOPED_TRACE(verb);
        const CliStreams help = RunCliStreams({"help", verb});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.err, "");
        const std::string prefix = std::string("usage: tremolix-cli ") + verb;
        ASSERT_EQ(help.out.rfind(prefix, 0), 0u) << help.out;
        const std::string usage = help.out.substr(0, help.out.find('\n'));
        const std::string details = help.out.substr(usage.size());
        EXPECT_GE(Lines(details), 1u);
        for (const std::string& option : OptionsOf(usage))
            EXPECT_NE(details.find("\n  " + option + " "), std::string::npos) << option << " undescribed";
        EXPECT_EQ(RunCliStreams({verb, "--help"}).out, help.out);
    }
}

TEST(CommandLine, VersionIsTheBuildsOwn)
{
    EXPECT_TRUE(std::regex_match(platform::VersionText, std::regex(R"(\d+\.\d+(\.\d+)*)"))) << platform::VersionText;
    const CliStreams version = RunCliStreams({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("tremolix-cli ") + platform::VersionText + "\n");
    EXPECT_EQ(version.err, "");
}

TEST(CommandLine, NoVerbPrintsTheUsageOnTheErrorStream)
{
    const CliStreams none = RunCliStreams({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err.rfind("tremolix-cli: no verb given\nusage: ", 0), 0u) << none.err;
    for (const char* verb : VerbNames)
        EXPECT_NE(none.err.find(std::string("  tremolix-cli ") + verb), std::string::npos) << verb;
}

TEST(CommandLine, UsageErrorsAreOneLineOnTheErrorStream)
{
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {{"frobnicate"}, "tremolix-cli: unknown verb \"frobnicate\""},
        {{"--frobnicate"}, "tremolix-cli: unknown option \"--frobnicate\""},
        {{"--version", "x"}, "--version takes no arguments"},
        {{"help", "frobnicate"}, "tremolix-cli help: unknown verb \"frobnicate\""},
        {{"help", "tags", "probe"}, "tremolix-cli help: takes at most one VERB"},
        {{"probe", "-x", "a.mp3"}, "tremolix-cli probe: unknown option -x"},
        {{"tags", "a.mp3", "--bogus"}, "tremolix-cli tags: unknown option --bogus"},
        {{"convert", "--bogus"}, "tremolix-cli convert: unknown option --bogus"},
        {{"probe", "--json", "a.mp3", "--json"}, "tremolix-cli probe: --json given twice"},
        {{"tags", "--json=yes", "a.mp3"}, "tremolix-cli tags: --json takes no value, got \"--json=yes\""},
        {{"convert", "--json", "--json"}, "tremolix-cli convert: --json given twice"},
        {{"formats", "--json"}, "tremolix-cli formats: takes no --json"},
        {{"presets", "--json=1"}, "tremolix-cli presets: takes no --json"},
        {{"help", "--json"}, "tremolix-cli help: takes no --json"},
        {{"tags", "--json"}, "tremolix-cli tags: no FILE given"},
        {{"frob\nnicate"}, "unknown verb \"frob\\nnicate\""},
    };
    for (const Case& c : cases) {
        const CliStreams result = RunCliStreams(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.expected;
        EXPECT_EQ(result.out, "") << c.expected;
        EXPECT_NE(result.err.find(c.expected), std::string::npos) << "got: " << result.err << "\nwanted: " << c.expected;
        EXPECT_EQ(Lines(result.err), 1u) << result.err;
        EXPECT_NE(result.err.find("usage"), std::string::npos) << result.err;
    }
}

namespace {

cli::FileArguments Parsed(const std::vector<std::string>& args, bool withSettings = true)
{
    cli::FileArguments parsed;
    std::string problem;
    EXPECT_TRUE(cli::ParseFileArguments(args, withSettings, parsed, problem)) << problem;
    return parsed;
}

}  // namespace

TEST(FileArguments, NamesSettingsAndTheEndOfOptions)
{
    const cli::FileArguments plain = Parsed({"a.mp3", "-", "b.ogg", "--json", "--set", "Title=x", "Artist=-y"});
    EXPECT_EQ(plain.files, (std::vector<std::string>{"a.mp3", "-", "b.ogg"}));
    EXPECT_EQ(plain.settings, (std::vector<std::string>{"Title=x", "Artist=-y"}));
    EXPECT_TRUE(plain.json);
    EXPECT_TRUE(plain.set);

    // After "--" every argument is a name, also after --set.
    const cli::FileArguments ended = Parsed({"--set", "Title=x", "--", "-a.mp3", "--json", "--set"});
    EXPECT_EQ(ended.files, (std::vector<std::string>{"-a.mp3", "--json", "--set"}));
    EXPECT_EQ(ended.settings, (std::vector<std::string>{"Title=x"}));
    EXPECT_FALSE(ended.json);

    cli::FileArguments parsed;
    std::string problem;
    EXPECT_FALSE(cli::ParseFileArguments({"a.mp3", "--set", "Title=x"}, false, parsed, problem));
    EXPECT_EQ(problem.rfind("unknown option --set", 0), 0u) << problem;
}
