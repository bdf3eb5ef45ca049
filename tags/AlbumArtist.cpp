// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/AlbumArtist.h"

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

std::string ReadAlbumArtist(const std::filesystem::path& file) { return ReadFirstProperty(file, "ALBUMARTIST"); }

std::string ReadFirstProperty(const std::filesystem::path& file, const char* key)
{
    // A pipe or device would block the reader.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return {};
    const TagLib::FileRef ref(file.c_str(), false);
    if (ref.isNull())
        return {};
    const TagLib::PropertyMap properties = ref.file()->properties();
    const auto found = properties.find(key);
    if (found == properties.end() || found->second.isEmpty())
        return {};
    return found->second.front().to8Bit(true);
}
