// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files for the analyser tests: copies of the cached test audio, byte-level
// edits, and the outside tools that tag them.

#include "support/TempFolder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace analysistest {

using ByteString = std::string;

// A copy of the cached test audio file in folder, under name.
std::filesystem::path CopyAudio(const testsupport::TempFolder& folder, const std::string& audio,
                                const std::string& name);

ByteString ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const ByteString& bytes);

// Runs a tool and fails the test when it does not exit 0; gives its output.
std::string Tool(const std::vector<std::string>& argv);

// The lines of a tool's output.
std::vector<std::string> ToolLines(const std::vector<std::string>& argv);
bool Contains(const std::vector<std::string>& lines, const std::string& line);

// An ID3v2.3 tag holding one title frame, padded to at least size bytes.
ByteString Id3v2Tag(const std::string& title, std::size_t size = 0);
// A 128-byte ID3v1 tag with a title.
ByteString Id3v1Tag(const std::string& title);

}  // namespace analysistest
