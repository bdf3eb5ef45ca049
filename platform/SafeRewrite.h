#pragma once

// Rewriting a file without ever risking it: the new content goes to the
// file's name with "~" appended, is flushed to disk and renamed over the
// original in one step. On any failure the original stays as it was and the
// temporary file is removed.

#include <filesystem>
#include <functional>

namespace platform {

// Gives the owner write permission (a read-only mark is cleared).
bool MakeWritable(const std::filesystem::path& path);

// Copies the file to its "~" twin, lets edit change the twin, then replaces
// the original with it. edit returns false to abandon the change.
bool EditThroughCopy(const std::filesystem::path& path,
                     const std::function<bool(const std::filesystem::path& copy)>& edit);

// Flushes a written file to disk and renames it over target.
bool ReplaceWith(const std::filesystem::path& written, const std::filesystem::path& target);

}  // namespace platform
