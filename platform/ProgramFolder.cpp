// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <mutex>
#include <system_error>

#include "platform/ShippedPresets.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// Where the installed program keeps its data: beside the executable's
// folder as the install laid it out (a package may use another prefix than
// the build was configured with), else where the build meant to install it.
// TREMOLIX_INSTALLED_DATA_DIR names another place (a test's).
fs::path InstalledData()
{
    if (const char* folder = std::getenv("TREMOLIX_INSTALLED_DATA_DIR"); folder && *folder)
        return fs::path(folder);
    std::error_code ec;
    const fs::path beside = (ExecutableFolder() / TREMOLIX_DATA_FROM_BIN).lexically_normal();
    return fs::is_directory(beside, ec) ? beside : fs::path(TREMOLIX_INSTALLED_DATA);
}

fs::path UserDataFolder()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return fs::path(xdg) / "tremolix";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local/share/tremolix";
}

// Earlier versions copied the archive and the help here once, and never
// again; they are read from the installed data now.
void RemoveOldCopies(const fs::path& user)
{
    std::error_code ec;
    for (const char* name : {"EncodeDLL.dll", "help.html"})
        fs::remove(user / name, ec);
}

void FollowInstalledCopy(const fs::path& user)
{
    std::error_code ec;
    fs::create_directories(user, ec);
    const fs::path installed = InstalledData();
    if (!fs::is_directory(installed, ec))
        return;
    RemoveOldCopies(user);
    SyncShippedPresets(installed, user);
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
    static std::once_flag followed;
    std::call_once(followed, FollowInstalledCopy, user);
    return user;
}

fs::path ShippedFolder(const fs::path& programFolder)
{
    std::error_code ec;
    const fs::path installed = InstalledData();
    if (programFolder == UserDataFolder() && fs::is_directory(installed, ec))
        return installed;
    return programFolder;
}

}  // namespace platform
