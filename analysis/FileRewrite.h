#pragma once

// Writing the analysers' changes into a file without risking it.

#include "analysis/Bytes.h"

#include <filesystem>
#include <functional>
#include <iosfwd>

namespace analysis {

// Writes the new content to the file's name with "~" appended, reads that
// back through check, then renames it over the original. On any failure
// the original stays as it was and the temporary file is removed.
bool ReplaceThroughTemporary(const std::filesystem::path& path,
                             const std::function<bool(std::ostream&)>& write,
                             const std::function<bool(const std::filesystem::path&)>& check);

bool WriteBytes(std::ostream& out, const Bytes& bytes);

// Overwrites bytes at offset of an existing file and flushes them to disk.
bool WriteInPlace(const std::filesystem::path& path, std::uint64_t offset, const Bytes& bytes);

}  // namespace analysis
