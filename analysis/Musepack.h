// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for Musepack files: the stream version in the 32 header bytes
// after any ID3v2 tag decides whether the ID3v1 and APE tags are loaded.

#include "analysis/TagHolder.h"

#include <filesystem>

class TMPEGplus : public TTagHolder {
public:
    void Clear();
    // True when 32 header bytes could be read; for an unknown stream
    // version only the ID3v2 tag has been loaded.
    bool Load(const std::filesystem::path& path);

    bool Valid = false;               // the stream version is known
    std::uint8_t StreamVersion = 0;   // 4, 5, 6, 7, 71 for 7.1, 8; 0 unknown
};

namespace analysis {
std::uint8_t MusepackStreamVersion(const std::uint8_t* header);
}
