// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Other taggers and readers, driven from the tests: mutagen scripts, the
// command line's tags verb, and dumps that tell whether a write kept what it
// did not mean to change.

#include <filesystem>
#include <string>
#include <vector>

#include "tags/TagInfo.h"

namespace interop {

// Runs python3 with mutagen on a script that gets the file as sys.argv[1];
// "import sys, mutagen" and the mutagen submodules are done already.
std::string Mutagen(const std::string& script, const std::filesystem::path& file);

// The record as `tremolix-cli tags FILE` prints it: Field=value lines.
std::string CliTags(const std::filesystem::path& file);
// The record in that form.
std::string Lines(const TTAGInfo& info);
// `tremolix-cli tags FILE --set setting`; its exit status.
int CliSet(const std::filesystem::path& file, const std::string& setting);
// The same with several settings after one --set.
int CliSet(const std::filesystem::path& file, const std::vector<std::string>& settings);

// Every tag value of the file as mutagen sees it, one a line, leaving out
// the values of key (matched without regard to case); pictures and other
// binary values by digest.
std::string MutagenDump(const std::filesystem::path& file, const std::string& key);
// The values of key alone, in the same form.
std::string MutagenValues(const std::filesystem::path& file, const std::string& key);

// The file's embedded pictures as mutagen reads them, in stored order, one
// a line: "TYPE MIME SHA1" (MP4 covers, which have no type, as 3).
std::string MutagenPictures(const std::filesystem::path& file);
// The SHA-1 of a file's bytes, as sha1sum prints it.
std::string Sha1(const std::filesystem::path& file);

// The lines of a program's output, sorted, without those that hold skip.
std::string ToolListing(const std::vector<std::string>& argv, const std::string& skip);

// MD5 of the decoded audio, as ffmpeg computes it.
std::string AudioMd5(const std::filesystem::path& file);

}  // namespace interop
