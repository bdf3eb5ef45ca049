// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a finished output really holds the input's audio, checked before
// the input is deleted: an encoder may exit 0 on a full disk with a file
// that stops early.

#include <filesystem>
#include <string>

namespace engine {

// True when the file is there, not empty, and decodes to seconds within
// one codec frame; otherwise false with the reason in why.
bool VerifyOutput(const std::filesystem::path& output, double seconds, std::string& why);

}  // namespace engine
