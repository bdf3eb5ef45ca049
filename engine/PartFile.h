// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A job's output while it is being written: a hidden file with a marked,
// unique name beside the final one (same folder, so the rename stays on one
// file system; see platform/TemporaryNames.h), renamed onto the final name
// only when complete. Whatever happens before, nothing partial ever stands
// under the final name.

#include <filesystem>
#include <string>

namespace engine {

class PartFile {
public:
    PartFile() = default;
    // Removes the file unless it was committed.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Creates the part file beside target, exclusively, after removing one
    // this object still holds. Fails, before anything is written, when the
    // target's name or a temporary's beside it would not fit.
    bool Create(const std::filesystem::path& target, std::string& error);
    const std::filesystem::path& Path() const { return path_; }
    // Gives the file a new file's permissions under the umask and renames
    // it onto the target, replacing what stood there.
    bool Commit(std::string& error);
    // Removes the file now.
    void Discard();

private:
    std::filesystem::path path_;
    std::filesystem::path target_;
};

}  // namespace engine
