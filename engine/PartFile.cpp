// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/PartFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/TemporaryNames.h"

namespace fs = std::filesystem;

namespace engine {

PartFile::~PartFile()
{
    Discard();
}

void PartFile::Discard()
{
    if (!path_.empty())
        unlink(path_.c_str());
    path_.clear();
}

bool PartFile::Create(const fs::path& target, std::string& error)
{
    Discard();
    if (!target.has_filename()) {
        error = "No output file name";
        return false;
    }
    if (std::string problem = platform::NameFitProblem(target); !problem.empty()) {
        error = std::move(problem);
        return false;
    }
    fs::path created;
    const int file = platform::CreateTemporaryBeside(target, platform::TemporaryKind::Part, created);
    if (file < 0) {
        error = "Can't create the output file in \"" + target.parent_path().string() + "\": " + std::strerror(errno);
        return false;
    }
    close(file);
    path_ = created;
    target_ = target;
    return true;
}

bool PartFile::Commit(std::string& error)
{
    if (chmod(path_.c_str(), platform::NewFileMode()) != 0 || rename(path_.c_str(), target_.c_str()) != 0) {
        error = "Can't write the output file \"" + target_.string() + "\": " + std::strerror(errno);
        return false;
    }
    path_.clear();
    return true;
}

}  // namespace engine
