// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Turns the console output of an encoder program into the job's progress
// (50 to 100). Pure functions, one chunk of output at a time.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace engine {

// How many bytes one read of the program's output takes for this format.
std::size_t ProgressReadSize(std::uint8_t formatIndex);

// The chunk up to its first zero byte, without spaces and control
// characters at either end.
std::string_view TrimChunk(std::string_view bytes);

// The progress after one trimmed chunk; `percent` when the chunk says
// nothing that counts.
std::int32_t ParseProgress(std::uint8_t formatIndex, std::string_view chunk, std::int32_t percent);

}  // namespace engine
