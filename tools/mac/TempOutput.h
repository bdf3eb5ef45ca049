#pragma once

#include <cstdio>
#include <filesystem>

#include "File.h"

namespace mac {

// A new file beside the target that takes the target's place only when
// committed; otherwise it is removed, so no partial output is left.
class TempOutput {
public:
    // Throws when no such file can be created.
    explicit TempOutput(std::filesystem::path target);
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    std::FILE* File() const { return file_.get(); }
    // Closes the file and renames it over the target; throws on failure.
    void Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    FilePtr file_;
    bool committed_ = false;
};

}  // namespace mac
