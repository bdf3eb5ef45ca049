#pragma once

// File access of the tag classes: reads at given offsets that never go past
// the end, and rewrites that go through the file's "~" twin so the original
// stays whole until the new content is complete and on disk.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

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

// Replaces the file's content with the pieces, in order.
bool Rewrite(const std::filesystem::path& path, const std::vector<Piece>& pieces);

}  // namespace tagfile
