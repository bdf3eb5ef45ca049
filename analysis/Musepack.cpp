// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Musepack.h"

#include "analysis/FileReader.h"
#include "tags/classes/TagError.h"

using namespace analysis;

namespace analysis {

std::uint8_t MusepackStreamVersion(const std::uint8_t* header)
{
    switch (ReadLE32(header)) {
    case 0x4B43504D:  // "MPCK"
        return 8;
    case 0x072B504D:  // "MP+" 0x07
        return 7;
    case 0x172B504D:  // "MP+" 0x17
        return 71;
    }
    switch ((header[1] & 0x1F) >> 1) {
    case 3:
        return 4;
    case 7:
        return 5;
    case 11:
        return 6;
    }
    return 0;
}

}  // namespace analysis

void TMPEGplus::Clear()
{
    Valid = false;
    StreamVersion = 0;
    ClearTags();
}

bool TMPEGplus::Load(const std::filesystem::path& path)
{
    Clear();
    Bytes header;
    std::uint64_t size = 0;
    try {
        // Opened first: the tag objects are not asked to open what is no file.
        const FileReader file(path);
        const std::uint64_t start = ID3v2.Load(path) ? StreamStart() : 0;
        header = file.Read(start, 32);
        size = file.Size();
    } catch (const TagError&) {
        return false;
    }
    if (header.size() < 32)
        return false;
    StreamVersion = size > 0 ? MusepackStreamVersion(header.data()) : 0;
    Valid = StreamVersion != 0;
    if (Valid) {
        ID3v1.Load(path);
        APEtag.Load(path);
    }
    return true;
}
