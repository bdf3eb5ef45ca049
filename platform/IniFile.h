// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// INI files as the program's settings and presets use them.
//
//   [Section]
//   key=value
//
// - Section and key names match without regard to letter case; blanks around
//   names and values are ignored, and a value wrapped in one pair of matching
//   quotes ("..." or '...') reads without them.
// - Lines starting with ';' or '#' are comments; lines before the first
//   section belong to no section and are never read as keys.
// - Reading a missing key gives the caller's default. Integers are decimal
//   with an optional sign, or "0x" hexadecimal (up to 8 digits, the 32-bit
//   pattern); anything else gives the default.
// - Writing a key replaces its value on the line where it stands and keeps
//   every other line as it was (comments, blank lines, unknown keys, line
//   endings). A missing key is added after the last entry of its section; a
//   missing section is added at the end of the file. The first of several
//   equal sections or keys is the one read and written.
// - A value's line breaks are written as blanks, so no value can inject a
//   line of its own.
//
// Usage: an IniFile object reads the file once when made; writes change the
// object only, and Save() puts the whole file on disk in one step (a
// temporary file beside it, flushed, then renamed over it), so a crash
// leaves either the old or the new file, never half a file. For a single key
// the static helpers read, or write and save, in one call.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

class IniFile {
public:
    // Reads the file; a missing or unreadable file reads as empty.
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    bool SectionExists(const std::string& section) const;
    bool KeyExists(const std::string& section, const std::string& key) const;
    // Names as written in the file, in file order.
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(const std::string& section) const;

    // Change the object; Save() writes them out. A value with blanks at its
    // ends is written in quotes; reading takes both forms.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);  // 1 or 0

    // Writes the whole file through a temporary file and a rename; creates
    // the file when missing. False when it cannot be written (the file on
    // disk then stays as it was).
    bool Save() const;

    // One key at a time: each write is a complete, safe rewrite of the file.
    static std::string ReadString(const std::filesystem::path& path, const std::string& section,
                                  const std::string& key, const std::string& defaultValue);
    static std::int32_t ReadInteger(const std::filesystem::path& path, const std::string& section,
                                    const std::string& key, std::int32_t defaultValue);
    static bool WriteString(const std::filesystem::path& path, const std::string& section,
                            const std::string& key, const std::string& value);
    static bool WriteInteger(const std::filesystem::path& path, const std::string& section,
                             const std::string& key, std::int32_t value);

    // The integer rule on its own: true with the value for decimal or 0x hex.
    static bool ParseInteger(const std::string& text, std::int32_t& value);

private:
    struct Position {
        std::size_t header = npos;     // line index of "[section]"
        std::size_t end = 0;           // first line after the section
        std::size_t lastEntry = npos;  // last non-blank, non-comment line in it
    };
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    Position FindSection(const std::string& section) const;
    std::size_t FindKey(const Position& where, const std::string& key) const;

    std::filesystem::path path_;
    std::vector<std::string> lines_;
    std::string lineEnd_ = "\n";
    bool endsWithLineBreak_ = true;
};

}  // namespace platform
