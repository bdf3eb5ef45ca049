// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace testsupport {

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "tremolix-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them removable first.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<std::string> SortedFileNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport
