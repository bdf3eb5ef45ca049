// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The APE tag (read in versions 1000 and 2000, written as 2000 with a
// header) at the end of a file, before an ID3v1 tag when there is one.
// Keys and values are UTF-8.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct RField {
    std::string Name;
    std::string Value;
    std::uint32_t Flags = 0;  // item flags as stored

    // Bit 0: the tagger that wrote it asked for the value to stay.
    bool ReadOnly() const { return (Flags & 1u) != 0; }
};
using AField = std::vector<RField>;

class TAPETag {
public:
    TAPETag();

    void Clear();
    // False only when the file cannot be opened or is too short to hold a
    // footer (32 bytes or less after any ID3v1 tag).
    bool Load(const std::filesystem::path& file);
    // Replaces any APE tag with the one built from Fields(); an ID3v1 tag
    // stays at the end. False when the file cannot be rewritten.
    bool Save(const std::filesystem::path& file) const;
    // Removes the APE tag, if any, keeping everything else.
    bool RemoveFromFile(const std::filesystem::path& file) const;

    bool Exists() const { return exists_; }
    std::uint32_t Version() const { return version_; }
    // The footer's size field: all items plus the 32-byte footer.
    std::int32_t Size() const { return size_; }

    const AField& Fields() const { return fields_; }
    // Letter case of keys is ignored. Values are kept as stored, several
    // of them NUL-separated; an empty value removes the item.
    void SetItem(std::string_view key, std::string_view value);
    std::string GetItem(std::string_view key) const;
    // The first item of the key, letter case ignored; null when none.
    const RField* FindItem(std::string_view key) const;

private:
    std::string BuildTag() const;

    bool exists_ = false;
    std::uint32_t version_ = 0;
    std::int32_t size_ = 0;
    AField fields_;
};
