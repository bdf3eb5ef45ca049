#include "tags/classes/ID3v2.h"

#include "tags/classes/ID3v2Frames.h"
#include "tags/classes/TagFile.h"
#include "tags/classes/TagLayout.h"
#include "tags/classes/TagText.h"

using tagtext::Trim;

namespace {

constexpr std::size_t HeaderLength = 10;
constexpr std::int64_t PreferredSize = 4096;
constexpr std::uint64_t MaxTagBody = 1u << 28;  // what four synchsafe bytes can say

enum Index { FTitle = 1, FArtist, FAlbum, FTrack, FYear, FGenre, FComment, FComposer, FEncodedBy, FCopyright,
             FLanguage, FURL, FOriginalYear, FOriginalArtist, FContentGroup, FOriginalAlbum };

std::string Synchsafe(std::uint64_t value)
{
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

// The number before any "/", 0 when it is not one.
std::uint16_t ParseTrack(std::string_view text)
{
    text = text.substr(0, text.find('/'));
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || (value = value * 10 + static_cast<unsigned>(c - '0')) > 0xFFFF)
            return 0;
    }
    return static_cast<std::uint16_t>(value);
}

std::string FirstOf(const std::string& primary, const std::string& fallback)
{
    return primary.empty() ? fallback : primary;
}

}  // namespace

TID3v2::TID3v2() = default;

void TID3v2::Clear()
{
    *this = TID3v2();
}

bool TID3v2::Load(const std::filesystem::path& file)
{
    Clear();
    tagfile::Reader reader;
    std::string header, body;
    if (!reader.Open(file) || !reader.ReadAt(0, HeaderLength, header))
        return false;
    if (header.compare(0, 3, "ID3") != 0)
        return true;
    exists_ = true;
    version_ = static_cast<std::uint8_t>(header[3]);
    size_ = static_cast<std::int32_t>(taglayout::ID3v2Size(header, reader.Size()));
    if (version_ < 2 || version_ > 4 || size_ == 0)
        return true;
    // A tag with a footer: the body ends before it.
    const std::uint64_t footer = (header[5] & 0x10) ? HeaderLength : 0;
    if (reader.ReadAt(HeaderLength, static_cast<std::uint64_t>(size_) - HeaderLength - footer, body))
        ReadFrames(std::move(body), static_cast<std::uint8_t>(header[5]));
    return true;
}

void TID3v2::ReadFrames(std::string body, std::uint8_t flags)
{
    std::vector<std::string> known(id3v2::FrameCount + 1);
    for (id3v2::Frame& frame : id3v2::ParseFrames(std::move(body), version_, flags)) {
        const int index = id3v2::FrameIndex(frame.id, version_);
        const bool decoded = index > 0 && frame.readable && id3v2::HasReadableEncoding(frame.data);
        if (decoded)
            known[index] = std::move(frame.data);
        const bool owned = index > 0 && index <= id3v2::OwnedCount;
        // The fallback frames are never written from the values, so they stay too.
        if (version_ > 2 && !frame.asV23.empty() && (!owned || !decoded))
            keptFrames_.push_back({owned ? index : 0, std::move(frame.asV23)});
    }
    Decode(known);
}

void TID3v2::Decode(const std::vector<std::string>& frames)
{
    const auto text = [&](int index) { return id3v2::DecodeText(frames[index]); };
    title_ = FirstOf(text(FTitle), text(FContentGroup));
    artist_ = FirstOf(text(FArtist), text(FOriginalArtist));
    album_ = FirstOf(text(FAlbum), text(FOriginalAlbum));
    trackText_ = text(FTrack);
    track_ = ParseTrack(trackText_);
    year_ = FirstOf(text(FYear), tagtext::FirstCharacters(text(FOriginalYear), 4));
    genre_ = text(FGenre);
    if (const std::size_t close = genre_.rfind(')'); close != std::string::npos)
        genre_ = Trim(genre_.substr(close + 1));
    comment_ = id3v2::DecodeComment(frames[FComment]);
    composer_ = text(FComposer);
    encodedBy_ = text(FEncodedBy);
    copyright_ = text(FCopyright);
    language_ = text(FLanguage);
    url_ = id3v2::DecodeLink(frames[FURL]);
}

std::string TID3v2::BuildFrames() const
{
    const std::string trackDigits = track_ ? std::to_string(track_) : std::string();
    const std::string* values[id3v2::OwnedCount + 1] = {nullptr,     &title_,     &artist_,    &album_,
                                                        &trackDigits, &year_,     &genre_,     &comment_,
                                                        &composer_,  &encodedBy_, &copyright_, &language_,
                                                        &url_};
    std::string frames;
    for (int index = 1; index <= id3v2::OwnedCount; ++index) {
        const std::string& value = *values[index];
        if (value.empty())
            continue;
        frames += index == FComment ? id3v2::CommentFrame(value)
                  : index == FURL   ? id3v2::LinkFrame(value)
                                   : id3v2::TextFrame(id3v2::FrameID(index), value);
    }
    for (const KeptFrame& kept : keptFrames_) {
        if (kept.owner == 0 || values[kept.owner]->empty())
            frames += kept.bytes;
    }
    return frames;
}

bool TID3v2::Save(const std::filesystem::path& file)
{
    tagfile::Reader reader;
    std::string header;
    if (!reader.Open(file) || !reader.ReadAt(0, HeaderLength, header))
        return false;
    const std::uint64_t oldSize = taglayout::ID3v2Size(header, reader.Size());
    const std::string frames = BuildFrames();
    const std::int64_t needed = static_cast<std::int64_t>(HeaderLength + frames.size());
    const bool rebuild = oldSize < static_cast<std::uint64_t>(needed) || oldSize > PreferredSize;
    const std::int64_t padding = (rebuild ? PreferredSize : static_cast<std::int64_t>(oldSize)) - needed;
    const std::uint64_t body = frames.size() + static_cast<std::uint64_t>(padding > 0 ? padding : 0);
    if (body >= MaxTagBody)
        return false;
    std::string tag = std::string("ID3\3\0\0", 6) + Synchsafe(body) + frames;
    tag.resize(HeaderLength + body, '\0');
    if (!tagfile::Rewrite(file, {tagfile::Piece::Bytes(std::move(tag)),
                                 tagfile::Piece::Range(oldSize, reader.Size() - oldSize)}))
        return false;
    exists_ = true;
    version_ = 3;
    size_ = static_cast<std::int32_t>(HeaderLength + body);
    return true;
}

void TID3v2::SetTitle(std::string_view text) { title_ = Trim(text); }
void TID3v2::SetArtist(std::string_view text) { artist_ = Trim(text); }
void TID3v2::SetAlbum(std::string_view text) { album_ = Trim(text); }
void TID3v2::SetYear(std::string_view text) { year_ = Trim(text); }
void TID3v2::SetGenre(std::string_view text) { genre_ = Trim(text); }
void TID3v2::SetComment(std::string_view text) { comment_ = Trim(text); }
void TID3v2::SetComposer(std::string_view text) { composer_ = Trim(text); }
void TID3v2::SetEncodedBy(std::string_view text) { encodedBy_ = Trim(text); }
void TID3v2::SetCopyright(std::string_view text) { copyright_ = Trim(text); }
void TID3v2::SetLanguage(std::string_view text) { language_ = Trim(text); }
void TID3v2::SetURL(std::string_view text) { url_ = Trim(text); }
