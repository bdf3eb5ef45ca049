// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a finished output really holds the input's audio, checked on the
// part file before it gets its final name and again before an input is
// deleted: an encoder may exit 0 on a full disk with a file that stops
// early.

#include <filesystem>
#include <optional>
#include <string>

namespace engine {

// True when the file is there, not empty, and holds seconds of audio within
// one codec frame (and a packet of its container above); otherwise false
// with the reason in why. The length comes from the packets' timestamps
// where the container has them, which reads the file without decoding it,
// and from a whole decode where it has none.
bool VerifyOutput(const std::filesystem::path& output, double seconds, std::string& why);

// The seconds a whole decode of the file gives; nullopt when it does not
// open or does not decode to its end.
std::optional<double> DecodedSeconds(const std::filesystem::path& file);

// Why nothing more can be written into the file: the error text of a probe
// write past its end ("No space left on device"); empty when it succeeds.
// The file keeps its size.
std::string WriteFailure(const std::filesystem::path& file);

}  // namespace engine
