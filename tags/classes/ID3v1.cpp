// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v1.h"

#include "tags/classes/TagBytes.h"
#include "tags/classes/TagFile.h"
#include "tags/classes/TagLayout.h"
#include "tags/classes/TagText.h"

using namespace tagtext;

namespace {

constexpr std::size_t FieldLength = 30;
constexpr std::size_t LongFormLength = FieldLength + 1;
constexpr std::size_t Lyrics3FieldMax = 99999;
constexpr std::size_t Lyrics3BlockMax = 999999;
constexpr std::string_view Lyrics3Begin = "LYRICSBEGIN";

void SetWithLongForm(std::string& field, std::string& longForm, std::string_view text)
{
    field = TrimRight(text);
    longForm = CharacterCount(field) >= LongFormLength ? field : std::string();
}

std::string Digits(std::size_t value, int width)
{
    std::string text = std::to_string(value);
    return std::string(width > static_cast<int>(text.size()) ? width - text.size() : 0, '0') + text;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Lone CRs become CR LF; CR LF stays as it is.
std::string NormaliseLineEnds(std::string text)
{
    return ReplaceAll(ReplaceAll(std::move(text), "\r", "\r\n"), "\r\n\n", "\r\n");
}

void PutField(std::string& tag, std::size_t offset, std::string_view text, std::size_t length)
{
    const std::string bytes = Utf8ToLatin1(TrimRight(text)).substr(0, length);
    tag.replace(offset, bytes.size(), bytes);
}

}  // namespace

TID3v1::TID3v1() = default;

void TID3v1::Clear()
{
    *this = TID3v1();
}

bool TID3v1::Load(const std::filesystem::path& file)
{
    Clear();
    tagfile::Reader reader;
    if (!reader.Open(file))
        return false;
    TTagLayout layout;
    ReadTagLayout(reader, layout);
    exists_ = layout.ID3v1Size > 0;
    std::string tag, block;
    if (exists_) {
        if (!reader.ReadAt(reader.Size() - taglayout::ID3v1Length, taglayout::ID3v1Length, tag))
            return false;
        ReadFields(tag);
    }
    lyrics3Exists_ = layout.Lyrics3Size > 0;
    lyrics3Size_ = lyrics3Exists_ ? static_cast<std::int32_t>(layout.Lyrics3Size - taglayout::Lyrics3FooterLength) : 0;
    if (lyrics3Exists_) {
        if (!reader.ReadAt(layout.Lyrics3Offset, static_cast<std::uint64_t>(lyrics3Size_), block))
            return false;
        ReadLyrics3Fields(block);
    }
    return true;
}

void TID3v1::ReadFields(const std::string& tag)
{
    const auto field = [&](std::size_t offset, std::size_t length) {
        return Latin1ToUtf8(TrimRight(std::string_view(tag).substr(offset, length)));
    };
    const auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(tag[offset]); };
    const bool v11 = (byte(125) == 0 && byte(126) != 0) || (byte(125) == 32 && byte(126) != 32);
    version_ = v11 ? 2 : 1;
    SetTitle(field(3, FieldLength));
    SetArtist(field(33, FieldLength));
    SetAlbum(field(63, FieldLength));
    SetYear(field(93, 4));
    SetComment(field(97, v11 ? 28 : FieldLength));
    if (v11)
        track_ = byte(126);
    genreId_ = byte(127);
}

void TID3v1::ReadLyrics3Fields(const std::string& block)
{
    std::size_t pos = Lyrics3Begin.size();
    std::uint64_t length = 0;
    while (pos + 8 <= block.size() && tagbytes::ParseDigits(std::string_view(block).substr(pos + 3, 5), length) &&
           length <= block.size() - pos - 8) {
        const std::string id = block.substr(pos, 3);
        const std::string data = BytesToUtf8(std::string_view(block).substr(pos + 8, length));
        pos += 8 + length;
        if (id == "LYR")
            lyrics_ = NormaliseLineEnds(Trim(data));
        else if (id == "INF")
            SetComment(Trim(data));
        else if (id == "AUT")
            author_ = Trim(data);
        else if (id == "EAL")
            SetAlbum(Trim(data));
        else if (id == "EAR")
            SetArtist(Trim(data));
        else if (id == "ETT")
            SetTitle(Trim(data));
        else if (id == "IMG")
            imageLink_ = data;
        else if (id != "IND")
            break;
    }
}

bool TID3v1::Replace(const std::filesystem::path& file, std::string tags)
{
    tagfile::Reader reader;
    if (!reader.Open(file))
        return false;
    TTagLayout layout;
    ReadTagLayout(reader, layout);
    if (tags.empty() && !layout.ID3v1Size && !layout.Lyrics3Size)
        return true;
    // What stands between a Lyrics3 block and the ID3v1 tag (an APE tag) stays.
    const std::uint64_t end = layout.FileSize - layout.ID3v1Size;
    const std::uint64_t lyricsEnd = layout.Lyrics3Offset + layout.Lyrics3Size;
    std::vector<tagfile::Piece> pieces;
    if (layout.Lyrics3Size)
        pieces = {tagfile::Piece::Range(0, layout.Lyrics3Offset), tagfile::Piece::Range(lyricsEnd, end - lyricsEnd)};
    else
        pieces = {tagfile::Piece::Range(0, end)};
    pieces.push_back(tagfile::Piece::Bytes(std::move(tags)));
    return tagfile::Rewrite(file, pieces);
}

bool TID3v1::Strip(const std::filesystem::path& file)
{
    if (!Replace(file, {}))
        return false;
    exists_ = false;
    lyrics3Exists_ = false;
    lyrics3Size_ = 0;
    return true;
}

bool TID3v1::Save(const std::filesystem::path& file)
{
    const std::string lyrics3 = BuildLyrics3();
    if (!Replace(file, lyrics3 + BuildTag()))
        return false;
    exists_ = true;
    lyrics3Exists_ = !lyrics3.empty();
    lyrics3Size_ = lyrics3Exists_ ? static_cast<std::int32_t>(lyrics3.size() - taglayout::Lyrics3FooterLength) : 0;
    return true;
}

std::string TID3v1::BuildLyrics3() const
{
    const bool hasOwnData = !lyrics_.empty() || !author_.empty() || !imageLink_.empty();
    const bool hasLongData = !lyrics_.empty() || !author_.empty() || !extArtist_.empty() ||
                             !extAlbum_.empty() || !extComment_.empty() || !extTitle_.empty();
    if (!hasOwnData || !hasLongData)
        return {};
    std::string block = std::string(Lyrics3Begin) + (lyrics_.empty() ? "IND0000200" : "IND0000210");
    const std::pair<const char*, const std::string*> fields[] = {
        {"EAL", &extAlbum_}, {"EAR", &extArtist_}, {"ETT", &extTitle_}, {"INF", &extComment_},
        {"AUT", &author_},   {"LYR", &lyrics_},    {"IMG", &imageLink_},
    };
    // What the length digits cannot express is left out, so the block stays well-formed.
    for (const auto& [id, value] : fields) {
        if (Trim(*value).empty() || value->size() > Lyrics3FieldMax ||
            block.size() + 8 + value->size() > Lyrics3BlockMax)
            continue;
        block += id + Digits(value->size(), 5) + *value;
    }
    return block + Digits(block.size(), 6) + "LYRICS200";
}

std::string TID3v1::BuildTag() const
{
    std::string tag(taglayout::ID3v1Length, '\0');
    tag.replace(0, 3, "TAG");
    PutField(tag, 3, Title(), FieldLength);
    PutField(tag, 33, Artist(), FieldLength);
    PutField(tag, 63, Album(), FieldLength);
    PutField(tag, 93, year_, 4);
    PutField(tag, 97, Comment(), FieldLength);
    if (track_ > 0) {
        tag[125] = 0;
        tag[126] = static_cast<char>(track_);
    }
    tag[127] = static_cast<char>(genreId_);
    return tag;
}

std::string TID3v1::Title() const
{
    return extTitle_.empty() ? title_ : extTitle_;
}

std::string TID3v1::Artist() const
{
    return extArtist_.empty() ? artist_ : extArtist_;
}

std::string TID3v1::Album() const
{
    return extAlbum_.empty() ? album_ : extAlbum_;
}

std::string TID3v1::Comment() const
{
    return extComment_.empty() ? comment_ : extComment_;
}

std::string TID3v1::TrackText() const
{
    return track_ == 0 ? std::string() : std::to_string(track_);
}

std::string TID3v1::Genre() const
{
    return genreId_ < GenreCount ? GenreNames[genreId_] : std::string();
}

void TID3v1::SetTitle(std::string_view text)
{
    SetWithLongForm(title_, extTitle_, text);
}

void TID3v1::SetArtist(std::string_view text)
{
    SetWithLongForm(artist_, extArtist_, text);
}

void TID3v1::SetAlbum(std::string_view text)
{
    SetWithLongForm(album_, extAlbum_, text);
}

void TID3v1::SetComment(std::string_view text)
{
    SetWithLongForm(comment_, extComment_, text);
}

void TID3v1::SetYear(std::string_view text)
{
    year_ = FirstCharacters(TrimRight(text), 4);
}

void TID3v1::SetTrackText(std::string_view text)
{
    std::uint64_t number = 0;
    const std::string digits = Trim(text.substr(0, text.find('/')));
    track_ = !digits.empty() && tagbytes::ParseDigits(digits, number) ? static_cast<std::uint8_t>(number & 0xFF) : 0;
}

void TID3v1::SetGenre(std::string_view name)
{
    genreId_ = GenreIndex(TrimRight(name));
}
