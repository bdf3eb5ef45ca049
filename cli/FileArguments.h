// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace cli {

// FILE... [--json] [--set Field=value ...] as probe and tags take them.
struct FileArguments {
    std::vector<std::string> files;
    std::vector<std::string> settings;  // what follows --set
    bool set = false;
    bool json = false;
    std::string picture;  // --picture FILE
    bool removePicture = false;
};

// False with the reason in problem when an argument fits no place; every
// argument after "--" is a FILE, so that settings may come before names that
// begin with "-". withSettings: whether --set, --picture FILE and
// --remove-picture are taken.
bool ParseFileArguments(const std::vector<std::string>& args, bool withSettings, FileArguments& parsed,
                        std::string& problem);

}  // namespace cli
