// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ConvertArguments.h"

#include <charconv>
#include <map>

#include "app/FolderFiles.h"
#include "cli/JsonOption.h"
#include "engine/Encoder.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

bool ParsePolicy(const std::string& text, app::WhenFileExists& policy)
{
    if (text == "ignore")
        policy = app::WhenFileExists::Ignore;
    else if (text == "overwrite")
        policy = app::WhenFileExists::Overwrite;
    else
        return false;
    return true;
}

bool ParsePriority(const std::string& text, std::int32_t& priority)
{
    static const std::map<std::string, std::int32_t> levels = {
        {"idle", PriorityIdle}, {"normal", PriorityNormal}, {"high", PriorityHigh}, {"realtime", PriorityRealtime}};
    const auto level = levels.find(text);
    if (level == levels.end())
        return false;
    priority = level->second;
    return true;
}

// The whole text as a decimal number within [low, high].
bool ParseNumber(const std::string& text, int low, int high, int& number)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || value < low || value > high)
        return false;
    number = value;
    return true;
}

struct NumberOption {
    int* field;
    int low;
    int high;
    const char* meaning;
};

// What the run still lacks, in the order the usage line names it.
std::string MissingChoice(const ConvertArguments& arguments)
{
    if (arguments.format.empty())
        return "convert needs --format NAME (tremolix-cli formats lists them)";
    if (arguments.preset.empty())
        return "convert needs --preset NAME (tremolix-cli presets FORMAT lists them)";
    if (arguments.target.empty())
        return "convert needs --target DIR";
    if (arguments.files.empty())
        return "convert needs at least one FILE or folder";
    return {};
}

// Folders become the files below them that a decoder reads, in natural order.
void ExpandFolders(ConvertArguments& arguments)
{
    std::vector<fs::path> files;
    for (fs::path& given : arguments.files) {
        std::error_code ec;
        if (!fs::is_directory(given, ec)) {
            files.push_back(std::move(given));
            continue;
        }
        app::FolderAudio audio = app::ListFolderAudio(given);
        arguments.skippedInFolders += audio.skipped;
        arguments.unreadableFolders.insert(arguments.unreadableFolders.end(), audio.unreadable.begin(),
                                           audio.unreadable.end());
        files.insert(files.end(), audio.files.begin(), audio.files.end());
    }
    arguments.files = std::move(files);
}

}  // namespace

bool ParseConvertArguments(const std::vector<std::string>& args, ConvertArguments& arguments,
                           std::string& usage)
{
    const std::map<std::string, std::string*> texts = {
        {"--format", &arguments.format}, {"--preset", &arguments.preset},
        {"--target", &arguments.target}, {"--prefix", &arguments.prefix}};
    const std::map<std::string, bool*> flags = {
        {"--copy-tags", &arguments.copyTags}, {"--delete-original", &arguments.deleteOriginal},
        {"--playlist", &arguments.playlist}, {"--verbose", &arguments.verbose}};
    const std::map<std::string, NumberOption> numbers = {
        {"--jobs", {&arguments.jobs, 0, MaxJobs, "a count of jobs from 1 to 16, or 0 for one per core"}},
        {"--normalize", {&arguments.normalizePercent, 0, 100, "a peak from 1 to 100 %, or 0 for no change"}}};
    bool filesOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (filesOnly || arg.empty() || arg[0] != '-') {
            arguments.files.emplace_back(arg);
        } else if (arg == "--") {
            filesOnly = true;
        } else if (TakeJsonOption(arg, arguments.json, usage)) {
            if (!usage.empty())
                return false;
        } else if (const auto flag = flags.find(arg); flag != flags.end()) {
            *flag->second = true;
        } else if (!texts.contains(arg) && !numbers.contains(arg) && arg != "--when-exists" &&
                   arg != "--priority" && !IsLoudnessOption(arg)) {
            usage = "unknown option " + arg + " (a file whose name begins with \"-\" goes after \"--\")";
            return false;
        } else if (i + 1 >= args.size()) {
            usage = "missing value for " + arg;
            return false;
        } else if (const auto text = texts.find(arg); text != texts.end()) {
            *text->second = args[++i];
        } else if (const auto number = numbers.find(arg); number != numbers.end()) {
            const NumberOption& option = number->second;
            if (!ParseNumber(args[++i], option.low, option.high, *option.field)) {
                usage = arg + " takes " + option.meaning + ", not \"" + args[i] + "\"";
                return false;
            }
        } else if (IsLoudnessOption(arg)) {
            if (!ParseLoudnessOption(arg, args[++i], arguments.loudness, usage))
                return false;
        } else if (arg == "--when-exists") {
            if (!ParsePolicy(args[++i], arguments.whenExists)) {
                usage = "--when-exists takes ignore or overwrite, not \"" + args[i] + "\"";
                return false;
            }
        } else if (!ParsePriority(args[++i], arguments.priority)) {
            usage = "--priority takes idle, normal, high or realtime, not \"" + args[i] + "\"";
            return false;
        }
    }
    usage = MissingChoice(arguments);
    if (!usage.empty())
        return false;
    ExpandFolders(arguments);
    if (arguments.files.empty()) {
        usage = "convert found no file a decoder reads in the folders given";
        return false;
    }
    return true;
}

}  // namespace cli
