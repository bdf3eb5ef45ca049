// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v2.h"

#include <algorithm>

#include "tags/classes/ID3v2Convert.h"
#include "tags/classes/ID3v2Date.h"
#include "tags/classes/ID3v2Frames.h"
#include "tags/classes/ID3v2Text.h"
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

// Date frames that hold part of the recording time beside the year.
bool IsDatePart(std::string_view id)
{
    return id == "TDRC" || id == "TDAT" || id == "TIME" || id == "TDA" || id == "TIM";
}

bool IsDecodable(const id3v2::Frame& frame)
{
    return frame.readable && !frame.data.empty() && id3v2::IsKnownEncoding(frame.data[0]);
}

// A frame of the original artist's web page: a plain ISO-8859-1 link.
bool IsArtistLink(std::string_view id)
{
    return id == "WOAR" || id == "WAR";
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
    saveVersion_ = version_ == 4 ? 4 : 3;
    // A tag with a footer: the body ends before it.
    const std::uint64_t footer = (header[5] & 0x10) ? HeaderLength : 0;
    if (reader.ReadAt(HeaderLength, static_cast<std::uint64_t>(size_) - HeaderLength - footer, body))
        ReadFrames(std::move(body), static_cast<std::uint8_t>(header[5]));
    return true;
}

void TID3v2::ReadFrames(std::string body, std::uint8_t flags)
{
    std::vector<std::string> known(id3v2::FrameCount + 1);
    std::vector<int> source(id3v2::FrameCount + 1, -1);  // the frame each value comes from
    std::string artistLink, dayMonth, time;
    for (id3v2::Frame& frame : id3v2::ParseFrames(std::move(body), version_, flags)) {
        const int index = id3v2::FrameIndex(frame.id, version_);
        if ((frame.id == "TDAT" || frame.id == "TDA") && IsDecodable(frame))
            dayMonth = id3v2::DecodeText(frame.data);
        if ((frame.id == "TIME" || frame.id == "TIM") && IsDecodable(frame))
            time = id3v2::DecodeText(frame.data);
        std::string description;
        if (index == FComment && IsDecodable(frame))
            id3v2::DecodeComment(frame.data, &description);
        // The comment is the first one without a description, the link the
        // first one; any other value comes from the last of its frames.
        const bool chosen = index == FComment ? description.empty() && source[index] < 0
                            : index == FURL   ? source[index] < 0
                                              : true;
        const int position = static_cast<int>(frames_.size());
        frames_.push_back({0, IsDatePart(frame.id), version_ == 2 ? id3v2::V22ToV23(frame) : frame.whole});
        if (index > 0 && IsDecodable(frame) && chosen) {
            known[index] = std::move(frame.data);
            source[index] = position;
        } else if (IsArtistLink(frame.id) && frame.readable && artistLink.empty()) {
            artistLink = Trim(tagtext::Latin1ToUtf8(frame.data.substr(0, frame.data.find('\0'))));
        }
    }
    for (int index = 1; index <= id3v2::OwnedCount; ++index) {
        if (source[index] >= 0)
            frames_[source[index]].owner = index;
    }
    Decode(known, artistLink);
    if (version_ < 4)
        year_ = id3v2::JoinedDate(year_, dayMonth, time);
}

void TID3v2::Decode(const std::vector<std::string>& frames, const std::string& fallbackLink)
{
    const auto text = [&](int index) { return id3v2::DecodeText(frames[index]); };
    const auto texts = [&](int index) { return id3v2::DecodeTexts(frames[index]); };
    title_ = FirstOf(texts(FTitle), text(FContentGroup));
    artist_ = FirstOf(texts(FArtist), text(FOriginalArtist));
    album_ = FirstOf(texts(FAlbum), text(FOriginalAlbum));
    trackText_ = text(FTrack);
    track_ = ParseTrack(trackText_);
    year_ = FirstOf(text(FYear), tagtext::FirstCharacters(text(FOriginalYear), 4));
    std::vector<std::string> genres = tagtext::SplitAtNul(texts(FGenre));
    for (std::string& genre : genres)
        genre = id3v2::GenreName(genre);
    genre_ = tagtext::JoinWithNul(genres);
    comment_ = id3v2::DecodeComment(frames[FComment]);
    composer_ = texts(FComposer);
    encodedBy_ = texts(FEncodedBy);
    copyright_ = texts(FCopyright);
    language_ = texts(FLanguage);
    url_ = FirstOf(id3v2::DecodeLink(frames[FURL]), fallbackLink);
}

std::string TID3v2::NewFrame(int index) const
{
    const std::string* values[id3v2::OwnedCount + 1] = {nullptr,     &title_,     &artist_,    &album_,
                                                        &trackText_, &year_,      &genre_,     &comment_,
                                                        &composer_,  &encodedBy_, &copyright_, &language_,
                                                        &url_};
    // Several values, NUL between them, are joined with "/" as other
    // taggers write them into ID3v2.3.
    std::string value = *values[index];
    std::replace(value.begin(), value.end(), '\0', '/');
    if (value.empty())
        return {};
    if (index == FYear && saveVersion_ == 3)
        return id3v2::DateFrames23(value);
    return index == FComment ? id3v2::CommentFrame(saveVersion_, value)
           : index == FURL   ? id3v2::LinkFrame(saveVersion_, value)
                             : id3v2::TextFrame(saveVersion_, id3v2::FrameID(index, saveVersion_), value);
}

std::string TID3v2::BuildFrames() const
{
    std::array<bool, id3v2::OwnedCount + 1> written{};
    std::string frames;
    for (const StoredFrame& stored : frames_) {
        if (stored.owner && changed_[stored.owner]) {
            // The new value takes the place of the frame it was read from.
            if (!written[stored.owner])
                frames += NewFrame(stored.owner);
            written[stored.owner] = true;
        } else if (!(stored.datePart && changed_[FYear])) {
            frames += stored.bytes;
        }
    }
    for (int index = 1; index <= id3v2::OwnedCount; ++index) {
        if (changed_[index] && !written[index])
            frames += NewFrame(index);
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
    std::string tag = std::string("ID3") + static_cast<char>(saveVersion_) + std::string(2, '\0') +
                      id3v2::SynchsafeBytes(static_cast<std::uint32_t>(body)) + frames;
    tag.resize(HeaderLength + body, '\0');
    if (!tagfile::Rewrite(file, {tagfile::Piece::Bytes(std::move(tag)),
                                 tagfile::Piece::Range(oldSize, reader.Size() - oldSize)}))
        return false;
    exists_ = true;
    version_ = saveVersion_;
    size_ = static_cast<std::int32_t>(HeaderLength + body);
    return true;
}

void TID3v2::Set(int index, std::string& value, std::string_view text)
{
    value = Trim(text);
    changed_[index] = true;
}

void TID3v2::SetTitle(std::string_view text) { Set(FTitle, title_, text); }
void TID3v2::SetArtist(std::string_view text) { Set(FArtist, artist_, text); }
void TID3v2::SetAlbum(std::string_view text) { Set(FAlbum, album_, text); }
void TID3v2::SetTrack(std::uint16_t track) { SetTrackText(track ? std::to_string(track) : std::string()); }
void TID3v2::SetYear(std::string_view text) { Set(FYear, year_, text); }
void TID3v2::SetGenre(std::string_view text) { Set(FGenre, genre_, text); }
void TID3v2::SetComment(std::string_view text) { Set(FComment, comment_, text); }
void TID3v2::SetComposer(std::string_view text) { Set(FComposer, composer_, text); }
void TID3v2::SetEncodedBy(std::string_view text) { Set(FEncodedBy, encodedBy_, text); }
void TID3v2::SetCopyright(std::string_view text) { Set(FCopyright, copyright_, text); }
void TID3v2::SetLanguage(std::string_view text) { Set(FLanguage, language_, text); }
void TID3v2::SetURL(std::string_view text) { Set(FURL, url_, text); }

void TID3v2::SetTrackText(std::string_view text)
{
    // Without a track number ("0", "abc") there is no frame.
    track_ = ParseTrack(Trim(text));
    Set(FTrack, trackText_, track_ ? text : std::string_view());
}
