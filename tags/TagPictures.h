// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Embedded pictures in one shape for every tag kind. The type numbers are
// the ID3v2 picture types, which FLAC, Vorbis comments and WMA share.

#include <string>
#include <vector>

#include <taglib/tbytevector.h>

namespace extratags {

constexpr int FrontCover = 3;

struct TagPicture {
    int type = FrontCover;
    std::string mime;
    std::string description;
    TagLib::ByteVector data;
};

// "Front cover", "Back cover", ...; "Other" for a number outside the list.
std::string PictureTypeName(int type);
// The text a picture that could not be copied is reported by.
std::string PictureLoss(const TagPicture& picture);

// APE items "Cover Art (Front)", "Cover Art (Back)", ...: the key of a type,
// and the type of a key (-1 when the key names no picture).
std::string ApeCoverKey(int type);
int ApeCoverType(const std::string& key);
// APE cover items hold a file name, a zero byte, then the image.
TagPicture PictureFromApeItem(int type, const TagLib::ByteVector& value);
TagLib::ByteVector ApeItemFromPicture(const TagPicture& picture);

// The image format by its first bytes; "" when unknown.
std::string SniffMime(const TagLib::ByteVector& data);

// Front covers first, the rest in their order.
void FrontCoversFirst(std::vector<TagPicture>& pictures);

}  // namespace extratags
