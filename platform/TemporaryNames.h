// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Our temporary files beside a final one: a job's part file and a safe
// rewrite's twin. Their names carry a marker that no user's file has,
// ".<stem>.tremolix-<kind>.<pid>-<unique><extension>": hidden, the final
// name's extension kept (tag writers go by it), the stem cut so that the
// name fits the folder's limit. A leftover is removed only when it is
// provably ours: our pattern, our owner, a regular file, and a program that
// no longer runs.

#include <filesystem>
#include <sys/types.h>
#include <string>

namespace platform {

enum class TemporaryKind { Part, Twin };

// Creates a new file beside target, exclusively and readable only by its
// owner, under a fresh temporary name; its open descriptor, or -1 with
// errno set.
int CreateTemporaryBeside(const std::filesystem::path& target, TemporaryKind kind, std::filesystem::path& created);

// The mode a new file gets under the process's umask (0666 less it).
mode_t NewFileMode();

// True when the file is a temporary of ours whose program has ended.
bool IsStaleTemporary(const std::filesystem::path& path);

// Removes the stale temporaries in folder; nothing else is touched.
void RemoveStaleTemporaries(const std::filesystem::path& folder);

// As RemoveStaleTemporaries, once per folder in this process.
void RemoveStaleTemporariesOnce(const std::filesystem::path& folder);

// "File name too long: \"<name>\"" when path, or a temporary beside it,
// would exceed the file system's name or path limits; empty when all fit.
std::string NameFitProblem(const std::filesystem::path& path);

}  // namespace platform
