// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// File access of the tag classes: reads at given offsets that never go past
// the end, and rewrites through the one safe rewrite of the platform layer.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/SafeRewrite.h"

namespace tagfile {

class Reader {
public:
    Reader() = default;
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool Open(const std::filesystem::path& path);
    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t Size() const { return size_; }
    // Exactly length bytes at offset, or false.
    bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const;
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// A piece of the new content: literal bytes, or a range of the old file.
struct Piece {
    std::string bytes;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool fromFile = false;

    static Piece Bytes(std::string data) { return {std::move(data), 0, 0, false}; }
    static Piece Range(std::uint64_t offset, std::uint64_t length) { return {{}, offset, length, true}; }
};

// Replaces the file's content with the pieces, in order. Before the new file
// replaces the old one, the kept ranges are compared with the old file and
// check, when given, reads it back (it parses, it holds the new values).
bool Rewrite(const std::filesystem::path& path, const std::vector<Piece>& pieces,
             const platform::RewriteCheck& check = {});

}  // namespace tagfile
