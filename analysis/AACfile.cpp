// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AACfile.h"

#include "analysis/FileReader.h"
#include "tags/classes/TagError.h"

bool TAACfile::Load(const std::filesystem::path& path)
{
    Clear();
    // Opened first: the tag objects are not asked to open what is no file.
    try {
        const analysis::FileReader file(path);
    } catch (const TagError&) {
        return false;
    }
    return ID3v2.Load(path) && ID3v1.Load(path) && APEtag.Load(path);
}
