// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace app {

// The folder text trimmed of blanks and control characters at both ends,
// ending in one "/" unless empty.
std::string AddBackslash(const std::string& folder);

// The folder text as AddBackslash gives it, with a leading "~" or "~/"
// standing for the home folder.
std::string ExpandTargetFolder(const std::string& folder);

// The expanded target folder up to the component holding the first tag
// placeholder: the part that exists before any input's tags are known.
// Empty when the first component already holds one.
std::string TargetRoot(const std::string& folder);

// A name text holding one of these is the whole output name, not a prefix.
bool IsWholeNamePattern(const std::string& text);

struct NamingChoice {
    std::string targetFolder;
    // The prefix text followed by the input's own name, or the whole name
    // when IsWholeNamePattern; a "/" in it makes subfolders.
    bool customName = false;
    std::string prefix;
    bool portableNames = false;  // see ApplyTagPlaceholders
    std::uint8_t format = 11;
};

// Target folder, then the name pattern, or the optional prefix and the
// input's name less its extension, then the format's extension; tag
// placeholders filled from the input's tags, in the target folder text too.
// The file name has no blanks at its ends; one left empty by the pattern is
// the input's name. The result is lexically normal. Empty when the
// path would not lie inside the target folder (a ".." typed into the
// prefix, say): no output may be written outside it.
std::string MakeOutputPath(const std::filesystem::path& input, const NamingChoice& choice);

}  // namespace app
