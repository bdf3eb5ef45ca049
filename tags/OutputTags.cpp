// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/OutputTags.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include "analysis/WMAReader.h"
#include "tags/Id3v2Saving.h"
#include "tags/WavOutputTags.h"

namespace fs = std::filesystem;

namespace extratags {
namespace {

using TagLib::PropertyMap;
using TagLib::String;

String Text(const std::string& utf8)
{
    return String(utf8, String::UTF8);
}

// The name of a free-form MP4 atom or WMA attribute for a value: ReplayGain
// in lower case, as the players that read it there look it up.
String FreeformName(const String& key)
{
    if (!key.startsWith("REPLAYGAIN_"))
        return key;
    std::string name = key.to8Bit(true);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return Text(name);
}

TagLib::FLAC::Picture* NewFlacPicture(const TagPicture& picture)
{
    auto* block = new TagLib::FLAC::Picture;
    block->setType(TagLib::FLAC::Picture::Type(picture.type));
    block->setMimeType(Text(picture.mime));
    block->setDescription(Text(picture.description));
    block->setData(picture.data);
    return block;
}

class Id3v2Output : public OutputTags {
public:
    explicit Id3v2Output(const fs::path& file) : file_(file.c_str(), false) {}
    // TagLib takes any file for MPEG audio; one without a frame is not.
    bool Valid() { return file_.isValid() && file_.firstFrameOffset() >= 0; }
    NumberStyle Numbering() const override { return {true, true}; }
    PropertyMap Values() override { return file_.hasID3v2Tag() ? file_.ID3v2Tag()->properties() : PropertyMap(); }
    PropertyMap SetValues(const PropertyMap& values) override { return file_.ID3v2Tag(true)->setProperties(values); }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        ReplaceId3v2Pictures(*file_.ID3v2Tag(true), pictures);
        return {};
    }
    // A 2.4 tag stays 2.4, any other is 2.3 (as the tag layer writes it)
    // unless only 2.4 holds the values whole; no other tag touched.
    bool Save() override
    {
        const bool stored = file_.hasID3v2Tag();
        return file_.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                          Id3v2SaveVersion(*file_.ID3v2Tag(true), stored), TagLib::File::DoNotDuplicate);
    }

private:
    TagLib::MPEG::File file_;
};

class FlacOutput : public OutputTags {
public:
    explicit FlacOutput(const fs::path& file) : file_(file.c_str(), false) {}
    bool Valid() { return file_.isValid(); }
    NumberStyle Numbering() const override { return {}; }
    PropertyMap Values() override { return file_.properties(); }
    PropertyMap SetValues(const PropertyMap& values) override { return file_.xiphComment(true)->setProperties(values); }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        file_.removePictures();
        for (const TagPicture& picture : pictures)
            file_.addPicture(NewFlacPicture(picture));
        return {};
    }
    bool Save() override { return file_.save(); }

private:
    TagLib::FLAC::File file_;
};

// Ogg Vorbis and Opus: pictures go into METADATA_BLOCK_PICTURE comments.
template <class File>
class OggOutput : public OutputTags {
public:
    explicit OggOutput(const fs::path& file) : file_(file.c_str(), false) {}
    bool Valid() { return file_.isValid() && file_.tag(); }
    NumberStyle Numbering() const override { return {}; }
    PropertyMap Values() override { return file_.tag()->properties(); }
    PropertyMap SetValues(const PropertyMap& values) override { return file_.tag()->setProperties(values); }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        file_.tag()->removeAllPictures();
        for (const TagPicture& picture : pictures)
            file_.tag()->addPicture(NewFlacPicture(picture));
        return {};
    }
    bool Save() override { return file_.save(); }

private:
    File file_;
};

// Values without an atom of their own become free-form atoms; covr holds
// images without a type, so only front covers go there.
class Mp4Output : public OutputTags {
public:
    explicit Mp4Output(const fs::path& file) : file_(file.c_str(), false) {}
    bool Valid() { return file_.isValid() && file_.tag(); }
    NumberStyle Numbering() const override { return {true, true}; }
    PropertyMap Values() override { return file_.tag()->properties(); }
    PropertyMap SetValues(const PropertyMap& values) override
    {
        for (const auto& [key, texts] : file_.tag()->setProperties(values))
            file_.tag()->setItem("----:com.apple.iTunes:" + FreeformName(key), texts);
        return {};
    }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        std::vector<std::string> lost;
        TagLib::MP4::CoverArtList covers;
        for (const TagPicture& picture : pictures) {
            const auto format = Format(picture.mime);
            if (picture.type == FrontCover && format)
                covers.append(TagLib::MP4::CoverArt(*format, picture.data));
            else
                lost.push_back(PictureLoss(picture));
        }
        file_.tag()->removeItem("covr");
        if (!covers.isEmpty())
            file_.tag()->setItem("covr", covers);
        return lost;
    }
    bool Save() override { return file_.save(); }

private:
    static std::optional<TagLib::MP4::CoverArt::Format> Format(const std::string& mime)
    {
        using Art = TagLib::MP4::CoverArt;
        static const std::map<std::string, Art::Format> formats = {
            {"image/jpeg", Art::JPEG}, {"image/jpg", Art::JPEG}, {"image/png", Art::PNG},
            {"image/bmp", Art::BMP},   {"image/gif", Art::GIF}};
        std::string lower = mime;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (const auto found = formats.find(lower); found != formats.end())
            return found->second;
        return std::nullopt;
    }

    TagLib::MP4::File file_;
};

// Values without a WM/ attribute become attributes named by their key.
class AsfOutput : public OutputTags {
public:
    explicit AsfOutput(const fs::path& file) : path_(file), file_(file.c_str(), false) {}
    bool Valid() { return file_.isValid() && file_.tag(); }
    NumberStyle Numbering() const override { return {false, true}; }
    PropertyMap Values() override
    {
        OrderAsOtherReaders(*file_.tag(), path_);
        return file_.tag()->properties();
    }
    PropertyMap SetValues(const PropertyMap& values) override
    {
        for (const auto& [key, texts] : file_.tag()->setProperties(values)) {
            TagLib::ASF::AttributeList attributes;
            for (const String& text : texts)
                attributes.append(TagLib::ASF::Attribute(text));
            file_.tag()->setAttribute(FreeformName(key), attributes);
        }
        return {};
    }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        TagLib::ASF::AttributeList attributes;
        for (const TagPicture& picture : pictures) {
            TagLib::ASF::Picture asf;
            asf.setType(TagLib::ASF::Picture::Type(picture.type));
            asf.setMimeType(Text(picture.mime));
            asf.setDescription(Text(picture.description));
            asf.setPicture(picture.data);
            attributes.append(TagLib::ASF::Attribute(asf));
        }
        file_.tag()->removeItem("WM/Picture");
        if (!attributes.isEmpty())
            file_.tag()->setAttribute("WM/Picture", attributes);
        return {};
    }
    bool Save() override { return file_.save(); }

private:
    fs::path path_;
    TagLib::ASF::File file_;
};

// Monkey's Audio, Musepack and WavPack: APE items, one "Cover Art (...)" item a type.
template <class File>
class ApeOutput : public OutputTags {
public:
    explicit ApeOutput(const fs::path& file) : file_(file.c_str(), false) {}
    bool Valid() { return file_.isValid(); }
    NumberStyle Numbering() const override { return {true, true}; }
    PropertyMap Values() override { return file_.hasAPETag() ? file_.APETag()->properties() : PropertyMap(); }
    PropertyMap SetValues(const PropertyMap& values) override { return file_.APETag(true)->setProperties(values); }
    std::vector<std::string> SetPictures(const std::vector<TagPicture>& pictures) override
    {
        TagLib::APE::Tag* tag = file_.APETag(true);
        std::vector<String> covers;
        for (const auto& [key, item] : tag->itemListMap())
            if (ApeCoverType(key.to8Bit(true)) >= 0)
                covers.push_back(key);
        for (const String& key : covers)
            tag->removeItem(key);
        std::vector<std::string> lost;
        std::set<std::string> used;
        for (const TagPicture& picture : pictures) {
            const std::string key = ApeCoverKey(picture.type);
            if (used.insert(key).second)
                tag->setData(Text(key), ApeItemFromPicture(picture));
            else
                lost.push_back(PictureLoss(picture));
        }
        return lost;
    }
    bool Save() override { return file_.save(); }

private:
    File file_;
};

template <class Output>
std::unique_ptr<OutputTags> Open(const fs::path& file)
{
    auto output = std::make_unique<Output>(file);
    if (!output->Valid())
        return nullptr;
    return output;
}

using Opener = std::function<std::unique_ptr<OutputTags>(const fs::path&)>;

const std::map<std::string, Opener>& Openers()
{
    static const std::map<std::string, Opener> openers = {
        {".mp3", Open<Id3v2Output>},
        {".flac", Open<FlacOutput>},
        {".ogg", Open<OggOutput<TagLib::Ogg::Vorbis::File>>},
        {".opus", Open<OggOutput<TagLib::Ogg::Opus::File>>},
        {".m4a", Open<Mp4Output>},
        {".mp4", Open<Mp4Output>},
        {".wma", Open<AsfOutput>},
        {".ape", Open<ApeOutput<TagLib::APE::File>>},
        {".mpc", Open<ApeOutput<TagLib::MPC::File>>},
        {".wv", Open<ApeOutput<TagLib::WavPack::File>>},
        {".wav", OpenWavOutputTags},
    };
    return openers;
}

const Opener* OpenerOf(const fs::path& output)
{
    std::string extension = output.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const auto found = Openers().find(extension);
    return found == Openers().end() ? nullptr : &found->second;
}

}  // namespace

bool HoldsExtraTags(const fs::path& output)
{
    return OpenerOf(output) != nullptr;
}

std::unique_ptr<OutputTags> OpenOutputTags(const fs::path& file, const fs::path& output)
{
    const Opener* opener = OpenerOf(output);
    return opener ? (*opener)(file) : nullptr;
}

}  // namespace extratags
