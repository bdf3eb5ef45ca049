#include "cli/ConvertArguments.h"

#include <map>

#include "engine/Encoder.h"

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

}  // namespace

bool ParseConvertArguments(const std::vector<std::string>& args, ConvertArguments& arguments,
                           std::string& usage)
{
    const std::map<std::string, std::string*> texts = {
        {"--format", &arguments.format}, {"--preset", &arguments.preset},
        {"--target", &arguments.target}, {"--prefix", &arguments.prefix}};
    const std::map<std::string, bool*> flags = {
        {"--copy-tags", &arguments.copyTags}, {"--delete-original", &arguments.deleteOriginal},
        {"--playlist", &arguments.playlist}};
    bool filesOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (filesOnly || arg.empty() || arg[0] != '-') {
            arguments.files.emplace_back(arg);
        } else if (arg == "--") {
            filesOnly = true;
        } else if (const auto flag = flags.find(arg); flag != flags.end()) {
            *flag->second = true;
        } else if (i + 1 >= args.size()) {
            usage = "missing value for " + arg;
            return false;
        } else if (const auto text = texts.find(arg); text != texts.end()) {
            *text->second = args[++i];
        } else if (arg == "--when-exists") {
            if (!ParsePolicy(args[++i], arguments.whenExists)) {
                usage = "--when-exists takes ignore or overwrite";
                return false;
            }
        } else if (arg == "--jobs") {
            const std::string& value = args[++i];
            if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos ||
                value.size() > 2 || std::stoi(value) < 1 || std::stoi(value) > 16) {
                usage = "--jobs takes a number from 1 to 16";
                return false;
            }
            arguments.jobs = std::stoi(value);
        } else if (arg == "--priority") {
            if (!ParsePriority(args[++i], arguments.priority)) {
                usage = "--priority takes idle, normal, high or realtime";
                return false;
            }
        } else {
            usage = "unknown option " + arg;
            return false;
        }
    }
    if (arguments.format.empty() || arguments.preset.empty() || arguments.target.empty()) {
        usage = "convert needs --format, --preset and --target";
        return false;
    }
    if (arguments.files.empty()) {
        usage = "convert needs at least one FILE";
        return false;
    }
    return true;
}

}  // namespace cli
