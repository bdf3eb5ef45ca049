// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers to lay out preset folders in a test's program folder.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace presettest {

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace presettest
