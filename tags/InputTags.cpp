// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/InputTags.h"

#include <map>

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include "analysis/WMAReader.h"
#include "tags/ExtraTagValues.h"

namespace extratags {
namespace {

using TagLib::String;

std::string Utf8(const String& text)
{
    return text.to8Bit(true);
}

std::vector<TagPicture> FromId3v2(const TagLib::ID3v2::Tag* tag)
{
    std::vector<TagPicture> pictures;
    if (!tag)
        return pictures;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList("APIC"))
        if (const auto* apic = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame))
            pictures.push_back(
                {int(apic->type()), Utf8(apic->mimeType()), Utf8(apic->description()), apic->picture()});
    return pictures;
}

std::vector<TagPicture> FromFlacPictures(const TagLib::List<TagLib::FLAC::Picture*>& list)
{
    std::vector<TagPicture> pictures;
    for (const TagLib::FLAC::Picture* picture : list)
        pictures.push_back({int(picture->type()), Utf8(picture->mimeType()), Utf8(picture->description()),
                            picture->data()});
    return pictures;
}

std::vector<TagPicture> FromApe(const TagLib::APE::Tag* tag)
{
    std::vector<TagPicture> pictures;
    if (!tag)
        return pictures;
    for (const auto& [key, item] : tag->itemListMap())
        if (const int type = ApeCoverType(Utf8(key)); type >= 0 && item.type() == TagLib::APE::Item::Binary)
            pictures.push_back(PictureFromApeItem(type, item.binaryData()));
    return pictures;
}

std::vector<TagPicture> FromMp4(const TagLib::MP4::Tag* tag)
{
    std::vector<TagPicture> pictures;
    if (!tag || !tag->contains("covr"))
        return pictures;
    for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList())
        pictures.push_back({FrontCover, SniffMime(art.data()), "", art.data()});
    return pictures;
}

std::vector<TagPicture> FromAsf(const TagLib::ASF::Tag* tag)
{
    std::vector<TagPicture> pictures;
    if (!tag || !tag->contains("WM/Picture"))
        return pictures;
    for (const TagLib::ASF::Attribute& attribute : tag->attribute("WM/Picture")) {
        const TagLib::ASF::Picture picture = attribute.toPicture();
        if (picture.isValid())
            pictures.push_back(
                {int(picture.type()), Utf8(picture.mimeType()), Utf8(picture.description()), picture.picture()});
    }
    return pictures;
}

std::vector<TagPicture> ReadPictures(TagLib::File& file)
{
    using namespace TagLib;
    if (auto* mpeg = dynamic_cast<MPEG::File*>(&file))
        return mpeg->hasID3v2Tag() ? FromId3v2(mpeg->ID3v2Tag()) : FromApe(mpeg->APETag());
    if (auto* flac = dynamic_cast<FLAC::File*>(&file)) {
        const auto blocks = FromFlacPictures(flac->pictureList());
        return !blocks.empty() || !flac->hasXiphComment() ? blocks
                                                          : FromFlacPictures(flac->xiphComment()->pictureList());
    }
    if (auto* xiph = dynamic_cast<Ogg::XiphComment*>(file.tag()))
        return FromFlacPictures(xiph->pictureList());
    if (auto* mp4 = dynamic_cast<MP4::File*>(&file))
        return FromMp4(mp4->tag());
    if (auto* asf = dynamic_cast<ASF::File*>(&file))
        return FromAsf(asf->tag());
    if (auto* ape = dynamic_cast<APE::File*>(&file))
        return FromApe(ape->APETag());
    if (auto* mpc = dynamic_cast<MPC::File*>(&file))
        return FromApe(mpc->APETag());
    if (auto* wavpack = dynamic_cast<WavPack::File*>(&file))
        return FromApe(wavpack->APETag());
    if (auto* wav = dynamic_cast<RIFF::WAV::File*>(&file))
        return FromId3v2(wav->ID3v2Tag());
    return {};
}

bool IsPictureItem(const std::string& name)
{
    return name == "APIC" || name == "PIC" || name == "covr" || name == "WM/Picture" || ApeCoverType(name) >= 0;
}

// The part of a free-form item's name after its owner ("----:mean:name", "owner/name").
std::string ShortName(const std::string& name)
{
    const std::size_t cut = name.find_last_of(":/");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// TagLib takes these from the ASF content description only; attributes of
// the same name hold further values (a second artist as mutagen writes it)
// or repeat the first (as FFmpeg writes it).
String DescribedKey(const String& upperName)
{
    static const std::map<String, String> keys = {
        {"TITLE", "TITLE"}, {"AUTHOR", "ARTIST"}, {"DESCRIPTION", "COMMENT"}, {"COPYRIGHT", "COPYRIGHT"}};
    const auto found = keys.find(upperName);
    return found == keys.end() ? String() : found->second;
}

void AddNewValues(TagLib::PropertyMap& values, const String& key, const TagLib::StringList& texts)
{
    TagLib::StringList merged = values.contains(key) ? values[key] : TagLib::StringList();
    for (const String& text : texts)
        if (!merged.contains(text))
            merged.append(text);
    values.replace(key, merged);
}

// Free-form MP4 atoms and WMA attributes of text are values like any other;
// TagLib names the ones it has no key for only as raw items.
bool TakeFreeform(TagLib::File& file, const std::string& name, TagLib::PropertyMap& values)
{
    TagLib::StringList texts;
    const String item(name, String::UTF8);
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(&file); mp4 && name.rfind("----:", 0) == 0)
        texts = mp4->tag()->item(item).toStringList();
    auto* asf = dynamic_cast<TagLib::ASF::File*>(&file);
    if (asf && name.find('/') == std::string::npos)
        for (const TagLib::ASF::Attribute& attribute : asf->tag()->attribute(item))
            if (attribute.type() == TagLib::ASF::Attribute::UnicodeType)
                texts.append(attribute.toString());
    if (texts.isEmpty())
        return false;
    const String key = String(ShortName(name), String::UTF8).upper();
    if (const String described = asf ? DescribedKey(key) : String(); !described.isEmpty())
        AddNewValues(values, described, texts);
    else if (!values.contains(key))
        values.replace(key, texts);
    return true;
}

// TagLib reads an ID3v2.3 date's day and month (TDAT) into DATE, yet still
// names the frame as one it cannot read.
bool FoldedIntoDate(const std::string& name, const TagLib::PropertyMap& values)
{
    return name == "UNKNOWN/TDAT" && values.contains("DATE");
}

}  // namespace

InputTags ReadInputTags(const std::filesystem::path& file)
{
    InputTags tags;
    TagLib::FileRef ref(file.c_str(), false);
    if (ref.isNull())
        return tags;
    if (auto* asf = dynamic_cast<TagLib::ASF::File*>(ref.file()); asf && asf->tag())
        OrderAsOtherReaders(*asf->tag(), file);
    tags.values = ref.file()->properties();
    const TagLib::StringList items = tags.values.unsupportedData();
    for (const String& item : items) {
        const std::string name = Utf8(item);
        if (!IsPictureItem(name) && !IsEncodingValue(name) && !FoldedIntoDate(name, tags.values) &&
            !TakeFreeform(*ref.file(), name, tags.values))
            tags.unreadable.push_back(name);
    }
    tags.values.removeEmpty();
    for (TagPicture& picture : ReadPictures(*ref.file()))
        if (!picture.data.isEmpty())
            tags.pictures.push_back(std::move(picture));
    FrontCoversFirst(tags.pictures);
    return tags;
}

}  // namespace extratags
