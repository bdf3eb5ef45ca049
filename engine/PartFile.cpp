// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/PartFile.h"

#include <cerrno>
#include <fcntl.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace engine {
namespace {

constexpr std::size_t MaxNameBytes = 160;  // leaves room for the unique part within NAME_MAX
constexpr std::size_t UniqueChars = 6;

// The final name cut to a length that keeps the part's name legal, at a
// UTF-8 character boundary.
std::string NameStem(const std::string& name)
{
    if (name.size() <= MaxNameBytes)
        return name;
    std::size_t cut = MaxNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}


// The mode a new file gets under the process's umask, read without
// changing it (setting it, even back, races with other threads).
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("Umask:"))
            return 0666 & ~mode_t(std::stoul(line.substr(6), nullptr, 8));
    return 0644;
}

// The pid in a part file's name ".<name>.<pid>-XXXXXX<extension>", or 0
// when the name is no part file's.
pid_t OwnerOfPart(const std::string& name)
{
    const std::size_t dot = name.find_last_of('.');
    if (name.empty() || name[0] != '.' || dot == 0 || dot == std::string::npos || dot < UniqueChars + 1)
        return 0;
    const std::size_t dash = dot - UniqueChars - 1;
    if (name[dash] != '-')
        return 0;
    std::size_t digits = dash;
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    if (digits == dash || digits < 2 || name[digits - 1] != '.' || dash - digits > 9)
        return 0;
    return pid_t(std::stol(name.substr(digits, dash - digits)));
}

}  // namespace

PartFile::~PartFile()
{
    if (!path_.empty())
        unlink(path_.c_str());
}

bool PartFile::Create(const fs::path& target, std::string& error)
{
    if (!target.has_filename()) {
        error = "No output file name";
        return false;
    }
    const std::string extension = target.extension().string();
    std::string pattern = (target.parent_path() / ("." + NameStem(target.filename().string()) + "." + std::to_string(getpid()) + "-XXXXXX" +
                                                   extension)).string();
    const int file = mkostemps(pattern.data(), int(extension.size()), O_CLOEXEC);
    if (file < 0) {
        error = "Can't create the output file in \"" + target.parent_path().string() + "\": " + std::strerror(errno);
        return false;
    }
    close(file);
    path_ = pattern;
    target_ = target;
    return true;
}

bool PartFile::Commit(std::string& error)
{
    if (chmod(path_.c_str(), NewFileMode()) != 0 || rename(path_.c_str(), target_.c_str()) != 0) {
        error = "Can't write the output file \"" + target_.string() + "\": " + std::strerror(errno);
        return false;
    }
    path_.clear();
    return true;
}

void RemoveStaleParts(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t owner = OwnerOfPart(it->path().filename().string());
        std::error_code ignored;
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH && it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
}

}  // namespace engine
