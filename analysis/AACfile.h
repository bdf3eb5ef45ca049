// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Analyser for raw AAC files (ADIF or ADTS): a holder of the file's ID3v1,
// ID3v2 and APE tags, whatever the stream holds.

#include "analysis/TagHolder.h"

#include <filesystem>

class TAACfile : public TTagHolder {
public:
    void Clear() { ClearTags(); }
    // True when the three tags loaded and the file could be opened.
    bool Load(const std::filesystem::path& path);
};
