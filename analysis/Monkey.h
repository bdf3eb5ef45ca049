// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for Monkey's Audio files: a complete "MAC " header after any
// ID3v2 tag makes the file valid.

#include "analysis/TagHolder.h"

#include <filesystem>

namespace analysis {
class FileReader;
}

class TMonkey : public TTagHolder {
public:
    void Clear();
    // True when the header is valid; the tag objects keep what they loaded
    // either way.
    bool Load(const std::filesystem::path& path);

    bool Valid = false;
    std::uint32_t Version = 0;  // for example 3990 for 3.99
    std::uint32_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint32_t BitsPerSample = 0;
    std::uint64_t SampleCount = 0;
    std::uint32_t CompressionLevel = 0;
    std::uint32_t FormatFlags = 0;

private:
    bool ReadHeader(const analysis::FileReader& file);
};
