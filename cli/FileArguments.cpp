// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FileArguments.h"

#include "cli/JsonOption.h"

namespace cli {

bool ParseFileArguments(const std::vector<std::string>& args, bool withSettings, FileArguments& parsed,
                        std::string& problem)
{
    bool namesOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (namesOnly) {
            parsed.files.push_back(arg);
        } else if (arg.size() < 2 || arg[0] != '-') {
            (parsed.set ? parsed.settings : parsed.files).push_back(arg);
        } else if (arg == "--") {
            namesOnly = true;
        } else if (TakeJsonOption(arg, parsed.json, problem)) {
            if (!problem.empty())
                return false;
        } else if (withSettings && arg == "--set") {
            parsed.set = true;
        } else if (withSettings && arg == "--remove-picture") {
            parsed.removePicture = true;
        } else if (withSettings && (arg == "--picture" || arg.starts_with("--picture="))) {
            if (arg == "--picture" && i + 1 == args.size()) {
                problem = "--picture needs a FILE";
                return false;
            }
            parsed.picture = arg == "--picture" ? args[++i] : arg.substr(arg.find('=') + 1);
        } else {
            problem = "unknown option " + arg + " (a file whose name begins with \"-\" goes after \"--\")";
            return false;
        }
    }
    return true;
}

}  // namespace cli
