// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/StoredNames.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

namespace extratags {
namespace {

using TagLib::String;

const String FreeformPrefix = "----:com.apple.iTunes:";

// TXXX names of MusicBrainz Picard and the AcoustID tools.
constexpr const char* ConventionalNames[] = {
    "MusicBrainz Album Id",           "MusicBrainz Artist Id",
    "MusicBrainz Album Artist Id",    "MusicBrainz Release Group Id",
    "MusicBrainz Release Track Id",   "MusicBrainz Work Id",
    "MusicBrainz Album Type",         "MusicBrainz Album Status",
    "MusicBrainz Album Release Country", "MusicBrainz Disc Id",
    "MusicBrainz TRM Id",             "MusicBrainz Original Album Id",
    "MusicBrainz Original Artist Id", "MusicIP PUID",
    "Acoustid Id",                    "Acoustid Fingerprint",
};

std::string Upper(const String& text)
{
    return text.upper().to8Bit(true);
}

void AddDescription(StoredNames& names, const String& description)
{
    names.descriptions[Upper(description)] = description.to8Bit(true);
}

void ReadFrames(const TagLib::ID3v2::Tag* tag, StoredNames& names)
{
    if (!tag)
        return;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList("TXXX"))
        if (const auto* txxx = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame))
            AddDescription(names, txxx->description());
    for (const TagLib::ID3v2::Frame* frame : tag->frameList("COMM"))
        if (const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame))
            names.comments.try_emplace(Upper(comment->description()), comment->description().to8Bit(true),
                                       std::string(comment->language().data(), comment->language().size()));
}

void ReadFreeform(const TagLib::MP4::Tag* tag, StoredNames& names)
{
    if (tag)
        for (const auto& [key, item] : tag->itemMap())
            if (key.startsWith(FreeformPrefix))
                AddDescription(names, key.substr(FreeformPrefix.size()));
}

// Only upper-case atom names come from property keys; others (ReplayGain in
// lower case) were named on purpose.
bool RestoreFreeformNames(TagLib::MP4::Tag& tag, const StoredNames& names)
{
    std::vector<std::pair<String, String>> renames;
    for (const auto& [key, item] : tag.itemMap()) {
        if (!key.startsWith(FreeformPrefix))
            continue;
        const String name = key.substr(FreeformPrefix.size());
        const auto found = name == name.upper() ? names.descriptions.find(Upper(name)) : names.descriptions.end();
        if (found != names.descriptions.end() && name != String(found->second, String::UTF8))
            renames.emplace_back(key, FreeformPrefix + String(found->second, String::UTF8));
    }
    for (const auto& [from, to] : renames) {
        const TagLib::MP4::Item item = tag.item(from);
        tag.removeItem(from);
        tag.setItem(to, item);
    }
    return !renames.empty();
}

}  // namespace

StoredNames ReadStoredNames(const std::filesystem::path& input)
{
    StoredNames names;
    for (const char* name : ConventionalNames)
        AddDescription(names, String(name));
    TagLib::FileRef ref(input.c_str(), false);
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file()))
        ReadFrames(mpeg->ID3v2Tag(), names);
    else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(ref.file()))
        ReadFrames(wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr, names);
    else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(ref.file()))
        ReadFreeform(mp4->tag(), names);
    return names;
}

bool RestoreId3v2Names(TagLib::ID3v2::Tag& tag, const StoredNames& names)
{
    bool changed = false;
    for (TagLib::ID3v2::Frame* frame : tag.frameList("TXXX")) {
        auto* txxx = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        const auto found = txxx ? names.descriptions.find(Upper(txxx->description())) : names.descriptions.end();
        if (found != names.descriptions.end() && txxx->description() != String(found->second, String::UTF8)) {
            txxx->setDescription(String(found->second, String::UTF8));
            changed = true;
        }
    }
    for (TagLib::ID3v2::Frame* frame : tag.frameList("COMM")) {
        auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
        const auto found = comment ? names.comments.find(Upper(comment->description())) : names.comments.end();
        if (found == names.comments.end())
            continue;
        const auto& [description, language] = found->second;
        const TagLib::ByteVector code(language.data(), static_cast<unsigned>(language.size()));
        if (comment->description() != String(description, String::UTF8) || comment->language() != code) {
            comment->setDescription(String(description, String::UTF8));
            comment->setLanguage(code);
            changed = true;
        }
    }
    return changed;
}

bool RestoreStoredNames(const std::filesystem::path& file, const std::filesystem::path& output,
                        const StoredNames& names)
{
    std::string kind = output.extension().string();
    std::transform(kind.begin(), kind.end(), kind.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (kind == ".mp3") {
        TagLib::MPEG::File mpeg(file.c_str(), false);
        TagLib::ID3v2::Tag* tag = mpeg.hasID3v2Tag() ? mpeg.ID3v2Tag() : nullptr;
        return !tag || !RestoreId3v2Names(*tag, names) ||
               mpeg.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                         TagLib::ID3v2::Version(tag->header()->majorVersion()), TagLib::File::DoNotDuplicate);
    }
    if (kind == ".wav") {
        TagLib::RIFF::WAV::File wav(file.c_str(), false);
        TagLib::ID3v2::Tag* tag = wav.hasID3v2Tag() ? wav.ID3v2Tag() : nullptr;
        return !tag || !RestoreId3v2Names(*tag, names) ||
               wav.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone,
                        TagLib::ID3v2::Version(tag->header()->majorVersion()));
    }
    if (kind == ".m4a" || kind == ".mp4") {
        TagLib::MP4::File mp4(file.c_str(), false);
        return !mp4.tag() || !RestoreFreeformNames(*mp4.tag(), names) || mp4.save();
    }
    return true;
}

}  // namespace extratags
