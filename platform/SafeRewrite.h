// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Rewriting a file without ever risking it. The new content goes to a fresh
// file beside the original (beside a link's target), created exclusively
// under a unique marked name (TemporaryNames.h), so nothing planted under a
// predictable name is ever followed or reused. Every write and the flush
// are checked, then a caller-supplied check reads the new file back, and
// only then is it renamed over the original in one step. On any failure the
// original stays byte for byte and the temporary file is removed. The new
// file keeps the original's mode (plus owner write) and, where the process
// may set them, its owner and group.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// Gives the owner write permission (a read-only mark is cleared).
bool MakeWritable(const std::filesystem::path& path);

// The temporary file being written, with the original open for copying.
class RewriteOutput {
public:
    RewriteOutput(int original, std::uint64_t originalSize, int target)
        : original_(original), originalSize_(originalSize), target_(target) {}

    bool Write(std::span<const std::uint8_t> bytes);
    bool Write(std::string_view bytes);
    // Appends length bytes of the original from offset; false when it ends first.
    bool CopyOriginal(std::uint64_t offset, std::uint64_t length);
    std::uint64_t OriginalSize() const { return originalSize_; }
    std::uint64_t Written() const { return written_; }
    // The temporary file, open for reading and writing.
    int Descriptor() const { return target_; }

private:
    int original_;
    std::uint64_t originalSize_;
    int target_;
    std::uint64_t written_ = 0;
};

// Reads the flushed temporary file back; false keeps the original.
using RewriteCheck = std::function<bool(const std::filesystem::path& written)>;

// Replaces the file's content with what write appends. A link is followed:
// its target is replaced and the link stays.
bool RewriteFile(const std::filesystem::path& path, const std::function<bool(RewriteOutput&)>& write,
                 const RewriteCheck& check);

// Puts a whole new content at path, which need not exist, the same way. A
// link at path is never followed: the link itself is replaced, so nothing
// outside path's folder is written. An existing regular file keeps its mode
// and owner; a new file gets the mode the umask gives.
bool ReplaceFile(const std::filesystem::path& path, const std::function<bool(RewriteOutput&)>& write,
                 const RewriteCheck& check);

// Copies the file whole into the temporary file, lets edit change that copy
// through its descriptor, then checks and replaces as RewriteFile does.
bool EditThroughCopy(const std::filesystem::path& path, const std::function<bool(int copy)>& edit,
                     const RewriteCheck& check);

// Overwrites bytes of an existing file where they stand (the size stays)
// and flushes them to disk.
bool OverwriteInPlace(const std::filesystem::path& path, std::uint64_t offset,
                      std::span<const std::uint8_t> bytes);

// Exactly length bytes at offset of the open file, or false.
bool ReadAt(int fd, void* data, std::size_t length, std::uint64_t offset);
// All length bytes written at offset of the open file, or false.
bool WriteAt(int fd, const void* data, std::size_t length, std::uint64_t offset);

// True when length bytes at aOffset of a equal those at bOffset of b.
bool SameBytes(const std::filesystem::path& a, std::uint64_t aOffset, const std::filesystem::path& b,
               std::uint64_t bOffset, std::uint64_t length);

// For a writer that refuses before rewriting: records why; returns false.
bool RefuseRewrite(const std::string& why);

// Why the latest failed rewrite of this thread left its file alone; for the
// message that names the file.
const std::string& LastRewriteError();

}  // namespace platform
