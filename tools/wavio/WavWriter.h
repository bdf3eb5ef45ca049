// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes a WAV file with a canonical 44-byte header through an OutputFile:
// the header's sizes are filled in at Commit, when the data is complete.

#include "wavio/OutputFile.h"
#include "wavio/WavFormat.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace wavio {

class WavWriter {
public:
    bool Open(const std::filesystem::path& target, const WavFormat& format, std::string& error);
    // Raw little-endian samples, whole frames.
    bool Write(const std::uint8_t* data, std::size_t bytes, std::string& error);
    bool Commit(std::string& error);

private:
    OutputFile file_;
    WavFormat format_;
    std::uint64_t dataBytes_ = 0;
};

}  // namespace wavio
