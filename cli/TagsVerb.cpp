// SPDX-License-Identifier: GPL-3.0-or-later
// tremolix-cli tags FILE [--set Field=value ...]: the unified tag record.

#include <iostream>
#include <map>

#include "cli/Verb.h"
#include "tags/TagInfo.h"

namespace {

int FieldIndex(const std::string& name)
{
    for (std::size_t i = 0; i < TagFieldNames.size(); ++i)
        if (name == TagFieldNames[i])
            return int(i);
    return -1;
}

// Field=value pairs into the record, a field named again adding a value
// ("Artist=A Artist=B"); false with the reason on a bad one.
bool ApplySettings(const std::vector<std::string>& settings, TTAGInfo& info, std::string& problem)
{
    std::map<std::size_t, std::vector<std::string>> values;
    for (const auto& setting : settings) {
        if (setting == "--set")
            continue;
        const auto eq = setting.find('=');
        const int index = eq == std::string::npos ? -1 : FieldIndex(setting.substr(0, eq));
        if (index < 0) {
            problem = "unknown field in " + setting + " (fields: Track Title Artist Album Year Comment "
                      "Genre Composer EncodedBy Copyright Language URL)";
            return false;
        }
        values[std::size_t(index)].push_back(setting.substr(eq + 1));
    }
    for (auto& [index, list] : values)
        SetTagValues(info, index, std::move(list));
    return true;
}

// A field with several values prints a line for each.
void Print(const TTAGInfo& info)
{
    for (std::size_t i = 0; i < TagFieldNames.size(); ++i) {
        const std::vector<std::string> values = TagValues(info, i);
        if (values.empty())
            std::cout << TagFieldNames[i] << "=\n";
        for (const std::string& value : values)
            std::cout << TagFieldNames[i] << '=' << value << '\n';
    }
}

// Prints the record, or writes the settings into it; why not, naming the file.
std::string ShowOrSet(const std::filesystem::path& file, const std::vector<std::string>& settings)
{
    if (std::string problem = TagFileProblem(file); !problem.empty())
        return problem;
    try {
        TTAGInfo info;
        ReadTagInfo(file, info);
        if (settings.empty()) {
            Print(info);
            return {};
        }
        std::string problem;
        ApplySettings(settings, info, problem);
        return WriteTagInfo(file, info);
    } catch (const std::exception& error) {
        return error.what();
    }
}

int Tags(const std::vector<std::string>& args)
{
    if (args.empty())
        return cli::UsageError("tags", "no FILE given");
    if (args.size() > 1 && args[1] != "--set")
        return cli::UsageError("tags", "expected --set after FILE, got \"" + args[1] + "\"");
    if (args.size() == 2)
        return cli::UsageError("tags", "--set needs at least one Field=value");
    const std::vector<std::string> settings(args.begin() + std::min<std::size_t>(2, args.size()), args.end());
    TTAGInfo checked;
    std::string problem;
    if (!ApplySettings(settings, checked, problem))
        return cli::UsageError("tags", problem);
    problem = ShowOrSet(args[0], settings);
    if (problem.empty())
        return cli::ExitOk;
    std::cerr << problem << '\n';
    return cli::ExitFailed;
}

const cli::VerbRegistration registration("tags", "tags FILE [--set Field=value ...]", Tags);

}  // namespace
