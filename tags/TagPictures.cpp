// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagPictures.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace extratags {
namespace {

constexpr std::array<const char*, 21> TypeNames = {
    "Other",         "File icon",          "Other file icon",    "Front cover",
    "Back cover",    "Leaflet page",       "Media",              "Lead artist",
    "Artist",        "Conductor",          "Band",               "Composer",
    "Lyricist",      "Recording location", "During recording",   "During performance",
    "Movie screen capture", "Coloured fish", "Illustration",     "Band logo",
    "Publisher logo"};

constexpr std::array<const char*, 21> ApeCoverNames = {
    "Other",      "Png Icon",  "Icon",     "Front",              "Back",
    "Leaflet",    "Media",     "Lead Artist", "Artist",          "Conductor",
    "Band",       "Composer",  "Lyricist", "Recording Location", "During Recording",
    "During Performance", "Video Capture", "Fish", "Illustration", "Band Logotype",
    "Publisher Logotype"};

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

bool KnownType(int type)
{
    return type >= 0 && type < int(TypeNames.size());
}

}  // namespace

std::string PictureTypeName(int type)
{
    return TypeNames[KnownType(type) ? type : 0];
}

std::string PictureLoss(const TagPicture& picture)
{
    return "picture (" + PictureTypeName(picture.type) + ")";
}

std::string ApeCoverKey(int type)
{
    return std::string("Cover Art (") + ApeCoverNames[KnownType(type) ? type : 0] + ")";
}

int ApeCoverType(const std::string& key)
{
    for (std::size_t type = 0; type < ApeCoverNames.size(); ++type)
        if (Upper(key) == Upper(ApeCoverKey(int(type))))
            return int(type);
    return -1;
}

TagPicture PictureFromApeItem(int type, const TagLib::ByteVector& value)
{
    TagPicture picture;
    picture.type = type;
    const int end = value.find('\0');
    if (end >= 0) {
        picture.description = std::string(value.data(), std::size_t(end));
        picture.data = value.mid(unsigned(end) + 1);
    } else {
        picture.data = value;
    }
    picture.mime = SniffMime(picture.data);
    return picture;
}

TagLib::ByteVector ApeItemFromPicture(const TagPicture& picture)
{
    TagLib::ByteVector value(picture.description.data(), unsigned(picture.description.size()));
    value.append('\0');
    value.append(picture.data);
    return value;
}

std::string SniffMime(const TagLib::ByteVector& data)
{
    if (data.startsWith(TagLib::ByteVector("\xFF\xD8\xFF", 3)))
        return "image/jpeg";
    if (data.startsWith(TagLib::ByteVector("\x89PNG", 4)))
        return "image/png";
    if (data.startsWith("GIF8"))
        return "image/gif";
    if (data.startsWith("BM"))
        return "image/bmp";
    return "";
}

void FrontCoversFirst(std::vector<TagPicture>& pictures)
{
    std::stable_partition(pictures.begin(), pictures.end(),
                          [](const TagPicture& picture) { return picture.type == FrontCover; });
}

}  // namespace extratags
