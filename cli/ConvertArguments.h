// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/BatchRun.h"
#include "app/FolderFiles.h"
#include "cli/LoudnessArguments.h"

namespace cli {

constexpr int MaxJobs = 16;

struct ConvertArguments {
    std::string format;
    std::string preset;
    std::string target;
    std::string prefix;
    app::WhenFileExists whenExists = app::WhenFileExists::Ignore;
    bool copyTags = false;
    bool deleteOriginal = false;
    bool playlist = false;
    bool verbose = false;
    bool json = false;
    std::int32_t priority = 32;
    int jobs = 0;              // 0: one per processor core
    int normalizePercent = 0;  // 0: no gain; else the peak as % of full scale
    LoudnessArguments loudness;
    // Files as given, folders replaced by the decodable files below them.
    std::vector<std::filesystem::path> files;
    int skippedInFolders = 0;  // files below given folders that no decoder reads
    std::vector<app::UnreadableFolder> unreadableFolders;  // folders below or given that cannot be read
};

// False with the reason in usage when the arguments are not a valid run.
bool ParseConvertArguments(const std::vector<std::string>& args, ConvertArguments& arguments,
                           std::string& usage);

}  // namespace cli
