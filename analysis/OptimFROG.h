// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for OptimFROG files: "OFR " after any ID3v2 tag.

#include "analysis/TagHolder.h"

#include <array>
#include <filesystem>

class TOptimFrog : public TTagHolder {
public:
    void Clear();
    // True when the header begins with "OFR ". Throws
    // TagError when the file cannot be opened.
    bool Load(const std::filesystem::path& path);

    std::array<std::uint8_t, 23> Header{};
};
