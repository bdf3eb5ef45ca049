// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An output file that appears under its name only when complete. Data goes
// to an unnamed file in the target's folder (or, where the file system has
// none, to a hidden twin removed on failure and on a terminating signal);
// Commit flushes it and puts it in place in one rename, so a failed or
// killed run never leaves a partial file behind and never harms an existing
// one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace wavio {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards what is not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Create(const std::filesystem::path& target, std::string& error);

    // Writes at the current position; false with errno set on failure.
    bool Write(const void* data, std::size_t size);
    // At the offset, leaving the current position where it is.
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    // Moves everything from offset `from` to the end so that it starts at
    // `to`, the file growing or shrinking by the difference; the position
    // is then the new end.
    bool MoveTail(std::uint64_t from, std::uint64_t to);
    // lseek semantics; -1 with errno set on failure.
    std::int64_t Seek(std::int64_t offset, int whence);
    std::int64_t Size() const;

    bool Commit(std::string& error);

private:
    bool CreateUnnamed(const std::filesystem::path& folder);
    bool CreateTwin();
    bool LinkUnnamed(std::filesystem::path& linked);
    bool ReadAt(std::uint64_t offset, void* data, std::size_t size);
    void Discard();

    int fd_ = -1;
    bool unnamed_ = false;
    std::filesystem::path target_;
    std::filesystem::path twin_;
};

}  // namespace wavio
