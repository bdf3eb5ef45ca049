// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagKinds.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "analysis/WMAReader.h"
#include "tags/Mp4TagBridge.h"
#include "tags/classes/TagText.h"

namespace fs = std::filesystem;

namespace tagsteps {
namespace {

// The values, NUL between them, replace the field's unless there are none.
void CopyIfSet(TTAGInfo& info, TagFieldPointer field, const std::string& joined)
{
    if (!tagtext::SplitAtNul(joined).empty())
        SetJoinedTagValues(info, TagFieldIndex(field), joined);
}

// The seven fields both ID3 versions hold.
template <class Tag>
void CopyCommonFields(const Tag& tag, TTAGInfo& info)
{
    CopyIfSet(info, &TTAGInfo::Track, tag.TrackText());
    CopyIfSet(info, &TTAGInfo::Title, tag.Title());
    CopyIfSet(info, &TTAGInfo::Artist, tag.Artist());
    CopyIfSet(info, &TTAGInfo::Album, tag.Album());
    CopyIfSet(info, &TTAGInfo::Year, tag.Year());
    CopyIfSet(info, &TTAGInfo::Comment, tag.Comment());
    CopyIfSet(info, &TTAGInfo::Genre, tag.Genre());
}

bool Exists(const fs::path& file)
{
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

// Record fields and the APE item keys that hold them.
const std::array<std::pair<TagFieldPointer, const char*>, 12> ApeItems = {{
    {&TTAGInfo::Track, "Track"},
    {&TTAGInfo::Title, "Title"},
    {&TTAGInfo::Artist, "Artist"},
    {&TTAGInfo::Album, "Album"},
    {&TTAGInfo::Year, "Year"},
    {&TTAGInfo::Comment, "Comment"},
    {&TTAGInfo::Genre, "Genre"},
    {&TTAGInfo::Copyright, "Copyright"},
    {&TTAGInfo::Composer, "Composer"},
    {&TTAGInfo::EncodedBy, "EncodedBy"},
    {&TTAGInfo::Language, "Language"},
    {&TTAGInfo::URL, "URL"},
}};

// Record fields and the MP4 keys that hold them, in calling order.
const std::array<std::pair<TagFieldPointer, const char*>, 7> Mp4Keys = {{
    {&TTAGInfo::Track, "TRACK"},
    {&TTAGInfo::Title, "TITLE"},
    {&TTAGInfo::Artist, "ARTIST"},
    {&TTAGInfo::Album, "ALBUM"},
    {&TTAGInfo::Year, "YEAR"},
    {&TTAGInfo::Comment, "COMMENT"},
    {&TTAGInfo::Genre, "GENRE"},
}};

// Record fields and the WMA attributes that hold them.
const std::array<std::pair<TagFieldPointer, std::string TTagsData::*>, 11> WmaFields = {{
    {&TTAGInfo::Track, &TTagsData::TrackNumber},
    {&TTAGInfo::Title, &TTagsData::Title},
    {&TTAGInfo::Artist, &TTagsData::Author},
    {&TTAGInfo::Album, &TTagsData::AlbumTitle},
    {&TTAGInfo::Year, &TTagsData::Year},
    {&TTAGInfo::Comment, &TTagsData::Description},
    {&TTAGInfo::Genre, &TTagsData::Genre},
    {&TTAGInfo::Composer, &TTagsData::Composer},
    {&TTAGInfo::EncodedBy, &TTagsData::EncodedBy},
    {&TTAGInfo::Copyright, &TTagsData::Copyright},
    {&TTAGInfo::URL, &TTagsData::URL},
}};

// Record fields and the text setters of the ID3 tags; the track number
// goes through its own setter.
using ID3v1Setter = void (TID3v1::*)(std::string_view);
const std::array<std::pair<TagFieldPointer, ID3v1Setter>, 6> ID3v1Texts = {{
    {&TTAGInfo::Title, &TID3v1::SetTitle},
    {&TTAGInfo::Artist, &TID3v1::SetArtist},
    {&TTAGInfo::Album, &TID3v1::SetAlbum},
    {&TTAGInfo::Comment, &TID3v1::SetComment},
    {&TTAGInfo::Year, &TID3v1::SetYear},
    {&TTAGInfo::Genre, &TID3v1::SetGenre},
}};

using ID3v2Setter = void (TID3v2::*)(std::string_view);
const std::array<std::pair<TagFieldPointer, ID3v2Setter>, 11> ID3v2Texts = {{
    {&TTAGInfo::Title, &TID3v2::SetTitle},         {&TTAGInfo::Artist, &TID3v2::SetArtist},
    {&TTAGInfo::Album, &TID3v2::SetAlbum},         {&TTAGInfo::Year, &TID3v2::SetYear},
    {&TTAGInfo::Genre, &TID3v2::SetGenre},         {&TTAGInfo::Comment, &TID3v2::SetComment},
    {&TTAGInfo::Composer, &TID3v2::SetComposer},   {&TTAGInfo::EncodedBy, &TID3v2::SetEncodedBy},
    {&TTAGInfo::Copyright, &TID3v2::SetCopyright}, {&TTAGInfo::Language, &TID3v2::SetLanguage},
    {&TTAGInfo::URL, &TID3v2::SetURL},
}};

template <class Table>
bool AnyChanged(const TTagEdit& edit, const Table& table)
{
    return std::any_of(table.begin(), table.end(), [&](const auto& entry) { return edit.Changed(entry.first); });
}

// Only clears: a tag that is not there is not made for them.
template <class Table>
bool OnlyClears(const TTagEdit& edit, const Table& table)
{
    return std::none_of(table.begin(), table.end(), [&](const auto& entry) {
        return edit.Changed(entry.first) && !(edit.values.*entry.first).empty();
    });
}

// ID3v1 setters take the first value, ID3v2 ones every value, NUL between
// them; an empty text removes the value.
template <class Table, class Tag>
void SetChanged(const TTagEdit& edit, const Table& table, Tag& tag, bool allValues)
{
    for (const auto& [field, setter] : table)
        if (edit.Changed(field))
            (tag.*setter)(allValues ? JoinedTagValues(edit.values, TagFieldIndex(field)) : edit.values.*field);
}

}  // namespace

std::int64_t DecimalOrZero(const std::string& text)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && next == end ? value : 0;
}

void TagInfoFromID3v1(const TID3v1& tag, TTAGInfo& info)
{
    CopyCommonFields(tag, info);
}

void TagInfoFromID3v2(const TID3v2& tag, TTAGInfo& info)
{
    CopyCommonFields(tag, info);
    CopyIfSet(info, &TTAGInfo::Composer, tag.Composer());
    CopyIfSet(info, &TTAGInfo::EncodedBy, tag.EncodedBy());
    CopyIfSet(info, &TTAGInfo::Copyright, tag.Copyright());
    CopyIfSet(info, &TTAGInfo::Language, tag.Language());
    CopyIfSet(info, &TTAGInfo::URL, tag.URL());
}

void TagInfoFromAPE(const TAPETag& tag, TTAGInfo& info)
{
    for (const auto& [field, key] : ApeItems)
        CopyIfSet(info, field, tag.GetItem(key));
}

void TagInfoFromWMA(const fs::path& file, TTAGInfo& info)
{
    if (!Exists(file))
        return;
    TTagsData data;
    ReadWmaTags(file, data);
    for (const auto& [field, attribute] : WmaFields)
        CopyIfSet(info, field, data.*attribute);
}

void TagInfoFromMP4(const fs::path& file, TTAGInfo& info)
{
    TMp4TagBridge bridge;
    if (!bridge.Load(file))
        return;
    for (const auto& [field, key] : Mp4Keys) {
        std::string joined;
        if (bridge.GetValue(key, joined))
            SetJoinedTagValues(info, TagFieldIndex(field), joined);
    }
    bridge.Unload();
}

bool SaveID3v1Tag(const fs::path& file, const TTagEdit& edit)
{
    const bool track = edit.Changed(&TTAGInfo::Track);
    if (!track && !AnyChanged(edit, ID3v1Texts))
        return true;
    TID3v1 tag;
    if (!Exists(file) || !tag.Load(file))
        return false;
    if (!tag.Exists())
        return true;
    if (track)
        tag.SetTrackText(edit.values.Track);
    SetChanged(edit, ID3v1Texts, tag, false);
    return tag.Save(file);
}

bool SaveID3v2Tag(const fs::path& file, const TTagEdit& edit)
{
    const bool track = edit.Changed(&TTAGInfo::Track);
    if (!track && !AnyChanged(edit, ID3v2Texts))
        return true;
    TID3v2 tag;
    if (!Exists(file) || !tag.Load(file))
        return false;
    if (!tag.Exists() && (track ? edit.values.Track.empty() : true) && OnlyClears(edit, ID3v2Texts))
        return true;
    if (track)
        tag.SetTrackText(edit.values.Track);
    SetChanged(edit, ID3v2Texts, tag, true);
    return tag.Save(file);
}

// Several values are one item, NUL between them, as APEv2 defines.
bool SaveAPETag(const fs::path& file, const TTagEdit& edit)
{
    if (!AnyChanged(edit, ApeItems))
        return true;
    TAPETag tag;
    if (!Exists(file) || !tag.Load(file))
        return false;
    if (!tag.Exists() && OnlyClears(edit, ApeItems))
        return true;
    for (const auto& [field, key] : ApeItems)
        if (edit.Changed(field))
            tag.SetItem(key, JoinedTagValues(edit.values, TagFieldIndex(field)));
    return tag.Save(file);
}

std::string ReadOnlyAPEProblem(const fs::path& file, const TTagEdit& edit)
{
    if (!AnyChanged(edit, ApeItems))
        return {};
    TAPETag tag;
    if (!Exists(file) || !tag.Load(file))
        return {};
    for (const auto& [field, key] : ApeItems) {
        const RField* item = tag.FindItem(key);
        if (item && item->ReadOnly() && edit.Changed(field) &&
            item->Value != JoinedTagValues(edit.values, TagFieldIndex(field)))
            return "its APE item \"" + item->Name + "\" is read-only";
    }
    return {};
}

bool SaveWMATag(const fs::path& file, const TTagEdit& edit)
{
    if (!AnyChanged(edit, WmaFields))
        return true;
    if (!Exists(file))
        return false;
    TTagsData data;
    ReadWmaTags(file, data);
    for (const auto& [field, attribute] : WmaFields)
        if (edit.Changed(field))
            data.*attribute = JoinedTagValues(edit.values, TagFieldIndex(field));
    return WriteWmaTags(data);
}

// An MP4 item whose value was cleared is removed.
bool SaveMP4Tag(const fs::path& file, const TTagEdit& edit)
{
    TMp4TagBridge bridge;
    if (!bridge.Load(file))
        return false;
    bool changed = false;
    for (const auto& [field, key] : Mp4Keys)
        if (edit.Changed(field))
            changed = bridge.SetValue(key, JoinedTagValues(edit.values, TagFieldIndex(field))) || changed;
    const bool written = !changed || bridge.Write();
    bridge.Unload();
    return written;
}

}  // namespace tagsteps
