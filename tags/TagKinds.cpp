#include "tags/TagKinds.h"

#include <array>
#include <charconv>
#include <utility>

#include "analysis/WMAReader.h"
#include "tags/Mp4TagBridge.h"
#include "tags/classes/TagText.h"

namespace fs = std::filesystem;

namespace tagsteps {
namespace {

void CopyIfSet(std::string& field, const std::string& value)
{
    if (!value.empty())
        field = value;
}

// The seven fields both ID3 versions hold.
template <class Tag>
void CopyCommonFields(const Tag& tag, TTAGInfo& info)
{
    CopyIfSet(info.Track, tag.TrackText());
    CopyIfSet(info.Title, tag.Title());
    CopyIfSet(info.Artist, tag.Artist());
    CopyIfSet(info.Album, tag.Album());
    CopyIfSet(info.Year, tag.Year());
    CopyIfSet(info.Comment, tag.Comment());
    CopyIfSet(info.Genre, tag.Genre());
}

bool Exists(const fs::path& file)
{
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

// Record fields and the APE item keys that hold them.
const std::array<std::pair<std::string TTAGInfo::*, const char*>, 8> ApeItems = {{
    {&TTAGInfo::Track, "Track"},
    {&TTAGInfo::Title, "Title"},
    {&TTAGInfo::Artist, "Artist"},
    {&TTAGInfo::Album, "Album"},
    {&TTAGInfo::Year, "Year"},
    {&TTAGInfo::Comment, "Comment"},
    {&TTAGInfo::Genre, "Genre"},
    {&TTAGInfo::Copyright, "Copyright"},
}};

// Record fields and the MP4 keys that hold them, in calling order.
const std::array<std::pair<std::string TTAGInfo::*, const char*>, 7> Mp4Keys = {{
    {&TTAGInfo::Track, "TRACK"},
    {&TTAGInfo::Title, "TITLE"},
    {&TTAGInfo::Artist, "ARTIST"},
    {&TTAGInfo::Album, "ALBUM"},
    {&TTAGInfo::Year, "YEAR"},
    {&TTAGInfo::Comment, "COMMENT"},
    {&TTAGInfo::Genre, "GENRE"},
}};

// Record fields and the WMA attributes that hold them.
const std::array<std::pair<std::string TTAGInfo::*, std::string TTagsData::*>, 11> WmaFields = {{
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
    CopyIfSet(info.Composer, tag.Composer());
    CopyIfSet(info.EncodedBy, tag.EncodedBy());
    CopyIfSet(info.Copyright, tag.Copyright());
    CopyIfSet(info.Language, tag.Language());
    CopyIfSet(info.URL, tag.URL());
}

void TagInfoFromAPE(const TAPETag& tag, TTAGInfo& info)
{
    for (const auto& [field, key] : ApeItems)
        CopyIfSet(info.*field, tag.GetItem(key));
}

void TagInfoFromWMA(const fs::path& file, TTAGInfo& info)
{
    if (!Exists(file))
        return;
    TTagsData data;
    ReadWmaTags(file, data);
    for (const auto& [field, attribute] : WmaFields)
        CopyIfSet(info.*field, data.*attribute);
}

void TagInfoFromMP4(const fs::path& file, TTAGInfo& info)
{
    TMp4TagBridge bridge;
    if (!bridge.Load(file))
        return;
    for (const auto& [field, key] : Mp4Keys)
        bridge.GetValue(key, info.*field);
    bridge.Unload();
}

bool SaveID3v1Tag(const fs::path& file, const TTAGInfo& info)
{
    TID3v1 tag;
    if (!Exists(file) || !tag.Load(file) || !tag.Exists())
        return false;
    if (!info.Track.empty())
        tag.SetTrack(std::uint8_t(DecimalOrZero(info.Track) & 0xFF));
    if (!info.Title.empty())
        tag.SetTitle(info.Title);
    if (!info.Artist.empty())
        tag.SetArtist(info.Artist);
    if (!info.Album.empty())
        tag.SetAlbum(info.Album);
    if (!info.Comment.empty())
        tag.SetComment(info.Comment);
    if (!info.Year.empty())
        tag.SetYear(info.Year);
    if (!info.Genre.empty())
        tag.SetGenre(info.Genre);
    return tag.Save(file);
}

bool SaveID3v2Tag(const fs::path& file, const TTAGInfo& info)
{
    TID3v2 tag;
    if (!Exists(file) || !tag.Load(file))
        return false;
    using Setter = void (TID3v2::*)(std::string_view);
    const std::array<std::pair<const std::string*, Setter>, 11> texts = {{
        {&info.Title, &TID3v2::SetTitle},         {&info.Artist, &TID3v2::SetArtist},
        {&info.Album, &TID3v2::SetAlbum},         {&info.Year, &TID3v2::SetYear},
        {&info.Genre, &TID3v2::SetGenre},         {&info.Comment, &TID3v2::SetComment},
        {&info.Composer, &TID3v2::SetComposer},   {&info.EncodedBy, &TID3v2::SetEncodedBy},
        {&info.Copyright, &TID3v2::SetCopyright}, {&info.Language, &TID3v2::SetLanguage},
        {&info.URL, &TID3v2::SetURL},
    }};
    if (!info.Track.empty())
        tag.SetTrack(std::uint16_t(DecimalOrZero(info.Track) & 0xFFFF));
    for (const auto& [value, setter] : texts)
        if (!value->empty())
            (tag.*setter)(*value);
    return tag.Save(file);
}

bool SaveAPETag(const fs::path& file, const TTAGInfo& info)
{
    TAPETag tag;
    if (!Exists(file) || !tag.Load(file))
        return false;
    for (const auto& [field, key] : ApeItems)
        if (!(info.*field).empty())
            tag.SetItem(key, info.*field);
    return tag.Save(file);
}

bool SaveWMATag(const fs::path& file, const TTAGInfo& info)
{
    if (!Exists(file))
        return false;
    TTagsData data;
    ReadWmaTags(file, data);
    for (const auto& [field, attribute] : WmaFields) {
        if ((info.*field).empty())
            continue;
        const bool wide = attribute == &TTagsData::Description;
        data.*attribute = wide ? info.*field : tagtext::FirstCharacters(info.*field, WmaShortTextLength);
    }
    return WriteWmaTags(data);
}

bool SaveMP4Tag(const fs::path& file, const TTAGInfo& info)
{
    TMp4TagBridge bridge;
    if (!bridge.Load(file))
        return false;
    for (const auto& [field, key] : Mp4Keys)
        bridge.SetValue(key, info.*field);
    const bool written = bridge.Write();
    bridge.Unload();
    return written;
}

}  // namespace tagsteps
