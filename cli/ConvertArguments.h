#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/BatchRun.h"

namespace cli {

struct ConvertArguments {
    std::string format;
    std::string preset;
    std::string target;
    std::string prefix;
    app::WhenFileExists whenExists = app::WhenFileExists::Ignore;
    bool copyTags = false;
    bool deleteOriginal = false;
    bool playlist = false;
    std::int32_t priority = 32;
    int jobs = 0;  // jobs at once; 0: one per processor core
    std::vector<std::filesystem::path> files;
};

// False with the reason in usage when the arguments are not a valid run.
bool ParseConvertArguments(const std::vector<std::string>& args, ConvertArguments& arguments,
                           std::string& usage);

}  // namespace cli
