// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Id3v2Saving.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2header.h>

#include "tags/ExtraTagValues.h"

namespace extratags {

void ReplaceId3v2Pictures(TagLib::ID3v2::Tag& tag, const std::vector<TagPicture>& pictures)
{
    using TagLib::String;
    tag.removeFrames("APIC");
    for (const TagPicture& picture : pictures) {
        auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
        const String description(picture.description, String::UTF8);
        frame->setTextEncoding(description.isLatin1() ? String::Latin1 : String::UTF16);
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::Type(picture.type));
        frame->setMimeType(String(picture.mime, String::UTF8));
        frame->setDescription(description);
        frame->setPicture(picture.data);
        tag.addFrame(frame);
    }
}

TagLib::ID3v2::Version Id3v2SaveVersion(TagLib::ID3v2::Tag& tag, bool stored)
{
    const bool v4 = (stored && tag.header()->majorVersion() == 4) || NeedsId3v24(tag.properties());
    return v4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
}

}  // namespace extratags
