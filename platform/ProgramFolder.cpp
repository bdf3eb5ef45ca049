// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {

fs::path UserDataFolder()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return fs::path(xdg) / "tremolix";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local/share/tremolix";
}

// Copies the installed program data the first time a user starts the program;
// files the user already has are kept.
void FillFromInstalledCopy(const fs::path& target)
{
    std::error_code ec;
    const fs::path installed(TREMOLIX_INSTALLED_DATA);
    fs::create_directories(target, ec);
    if (!fs::is_directory(installed, ec))
        return;
    fs::copy(installed, target,
             fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
}

}  // namespace

fs::path ExecutableFolder()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec);
    return exe.parent_path();
}

fs::path ProgramFolder()
{
    if (const char* home = std::getenv("TREMOLIX_HOME"); home && *home)
        return fs::path(home);
    std::error_code ec;
    const fs::path exeFolder = ExecutableFolder();
    if (fs::is_directory(exeFolder / "Preset", ec))
        return exeFolder;
    const fs::path user = UserDataFolder();
    if (!fs::is_directory(user / "Preset", ec))
        FillFromInstalledCopy(user);
    return user;
}

}  // namespace platform
