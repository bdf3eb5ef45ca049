// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ID3v1, ID3v2 and APE tag objects that the analysers of ID3-tagged
// formats embed, both as the file's tags and as measures of its layout.

#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

#include <cstdint>

struct TTagHolder {
    TID3v1 ID3v1;
    TID3v2 ID3v2;
    TAPETag APEtag;

    void ClearTags()
    {
        ID3v1.Clear();
        ID3v2.Clear();
        APEtag.Clear();
    }
    // Where the stream header starts: after any ID3v2 tag.
    std::uint64_t StreamStart() const
    {
        return ID3v2.Exists() && ID3v2.Size() > 0 ? std::uint64_t(ID3v2.Size()) : 0;
    }
};
