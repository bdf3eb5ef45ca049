// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/OggVorbis.h"

#include "analysis/CommentText.h"
#include "analysis/OggPage.h"
#include "analysis/VorbisComments.h"
#include "analysis/VorbisVendor.h"
#include "platform/SafeRewrite.h"
#include "tags/classes/TagLayout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace fs = std::filesystem;
using namespace analysis;

namespace {

// The codecs whose comment packet Load and Save follow: the start of the
// first packet names the codec, the comment packet starts with tagsId.
struct Codec {
    std::string_view headId;
    std::string_view tagsId;
    bool flacBlock;  // the comment list sits in a FLAC metadata block
};
constexpr std::array<Codec, 3> Codecs = {{
    {std::string_view("\x01vorbis", 7), std::string_view("\x03vorbis", 7), false},
    {"OpusHead", "OpusTags", false},
    {std::string_view("\x7F" "FLAC", 5), std::string_view("\x04", 1), true},
}};
constexpr std::size_t FlacBlockHeaderSize = 4;
// Bound for following a comment packet (cover art) across pages.
constexpr std::size_t MaxCommentPacket = std::size_t(64) << 20;

enum Field { Title, Artist, Album, TrackNumber, Date, Genre, Comment, Performer, Description };
constexpr std::array<const char*, 9> FieldNames = {
    "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};
// The fields Save writes; it keeps every other comment as it was.
constexpr std::size_t OwnedFields = 7;

struct Layout {
    std::optional<OggPage> second;  // the page where the comment packet starts
    OggPacketRun run;               // the header pages from there on
    Bytes packet;                   // the comment packet, empty when there is none
    VorbisCommentList comments;
    std::uint32_t id3v2Size = 0;
    std::size_t prefix = 0;  // bytes before the comment list
    bool flacBlock = false;

    std::uint64_t HeaderEnd() const { return run.pages.back().End(); }
};

bool ReadLayout(const FileReader& file, Layout& layout)
{
    const Bytes header = file.Read(0, 10);
    layout.id3v2Size = std::uint32_t(taglayout::ID3v2Size(std::string(header.begin(), header.end()), file.Size()));
    const auto first = ReadOggPage(file, layout.id3v2Size);
    const auto codec = std::find_if(Codecs.begin(), Codecs.end(), [&](const Codec& c) {
        return first && StartsWith(first->body, c.headId);
    });
    if (codec == Codecs.end())
        return false;
    layout.flacBlock = codec->flacBlock;
    layout.prefix = codec->flacBlock ? FlacBlockHeaderSize : codec->tagsId.size();
    layout.second = ReadOggPage(file, first->End());
    const auto isTags = [&](const Bytes& body) {
        return codec->flacBlock ? !body.empty() && (body[0] & 0x7F) == codec->tagsId[0]
                                : StartsWith(body, codec->tagsId);
    };
    if (layout.second && isTags(layout.second->body)) {
        layout.run = ReadPacketRun(file, *layout.second, MaxCommentPacket);
        // A file cut short still shows what its comment packet holds.
        layout.packet = layout.run.packets.empty() ? layout.run.unfinished : layout.run.packets.front().data;
        if (layout.packet.size() < layout.prefix) {
            layout.packet.clear();  // lacing that cuts the packet id short: no comment header
            return true;
        }
        layout.comments = ParseVorbisComments(std::span(layout.packet).subspan(layout.prefix));
    }
    return true;
}

// A layout whose header pages Save can lay out anew.
bool Rebuildable(const Layout& layout)
{
    return !layout.packet.empty() && layout.run.complete && layout.comments.complete;
}

std::optional<std::size_t> OwnedIndex(const std::string& name)
{
    for (std::size_t i = 0; i < OwnedFields; ++i)
        if (name == FieldNames[i])
            return i;
    return std::nullopt;
}

std::array<std::string, FieldNames.size()> FieldValues(const std::vector<std::string>& items)
{
    std::array<std::string, FieldNames.size()> values;
    for (const std::string& item : items) {
        const auto split = SplitCommentItem(item);
        for (std::size_t i = 0; split && i < FieldNames.size(); ++i)
            if (split->name == FieldNames[i])
                values[i] = TrimControls(split->value);
    }
    return values;
}

// The number before any "/"; 0 when it is not a number from 1 to 65535.
std::uint16_t TrackNumberOf(const std::string& text)
{
    const std::string_view digits = std::string_view(text).substr(0, text.find('/'));
    long long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 0 || number > 0xFFFF)
        return 0;
    return std::uint16_t(number);
}

// The header packets with the comment packet rebuilt around the new items.
std::vector<OggPacket> NewHeaderPackets(const Layout& layout, const std::vector<std::string>& items)
{
    std::vector<OggPacket> packets = layout.run.packets;
    Bytes& packet = packets.front().data;
    packet.assign(layout.packet.begin(), layout.packet.begin() + std::ptrdiff_t(layout.prefix));
    const Bytes list = BuildVorbisComments(layout.comments.vendor, items);
    packet.insert(packet.end(), list.begin(), list.end());
    // Whatever followed the list in the old packet (its framing bit) stays.
    packet.insert(packet.end(), layout.packet.begin() + std::ptrdiff_t(layout.prefix + layout.comments.end),
                  layout.packet.end());
    if (layout.flacBlock) {
        const std::size_t length = packet.size() - FlacBlockHeaderSize;
        packet[1] = std::uint8_t(length >> 16);
        packet[2] = std::uint8_t(length >> 8);
        packet[3] = std::uint8_t(length);
    }
    return packets;
}

// The pages behind the header pages, renumbered by delta up to the end of
// their stream; other streams' pages pass unchanged.
class FollowingPages {
public:
    FollowingPages(const FileReader& file, std::uint64_t offset, std::uint32_t serial, std::int64_t delta)
        : file_(file), offset_(offset), serial_(serial), delta_(std::uint32_t(delta)) {}

    std::optional<OggPage> Next()
    {
        std::optional<OggPage> page = ReadOggPage(file_, offset_);
        if (!page)
            return page;
        offset_ = page->End();
        if (page->Serial() == serial_ && !ended_) {
            page->SetSequence(page->Sequence() + delta_);
            StampOggChecksum(*page);
            ended_ = page->Flags() & OggEndOfStream;
        }
        return page;
    }

    // Where the bytes that are no page begin, once Next gave nothing.
    std::uint64_t Offset() const { return offset_; }

private:
    const FileReader& file_;
    std::uint64_t offset_;
    std::uint32_t serial_;
    std::uint32_t delta_;
    bool ended_ = false;
};

bool WritePage(platform::RewriteOutput& out, const OggPage& page)
{
    return out.Write(page.header) && out.Write(page.body);
}

bool CopyFollowingPages(const FileReader& file, platform::RewriteOutput& out, const Layout& layout,
                        std::int64_t delta)
{
    FollowingPages pages(file, layout.HeaderEnd(), layout.second->Serial(), delta);
    if (delta != 0)
        while (const auto page = pages.Next())
            if (!WritePage(out, *page))
                return false;
    return out.CopyOriginal(pages.Offset(), file.Size() - pages.Offset());
}

// Past the header pages the new file holds the old pages, renumbered and
// nothing else changed, so every audio packet is the old one.
bool SameFollowingPages(const fs::path& oldPath, const FileReader& old, const Layout& oldLayout,
                        const fs::path& path, const FileReader& file, const Layout& layout, std::int64_t delta)
{
    FollowingPages expected(old, oldLayout.HeaderEnd(), oldLayout.second->Serial(), delta);
    std::uint64_t offset = layout.HeaderEnd();
    if (delta != 0)
        for (auto page = expected.Next(); page; page = expected.Next()) {
            const auto written = ReadOggPage(file, offset);
            if (!written || written->header != page->header || written->body != page->body)
                return false;
            offset = written->End();
        }
    const std::uint64_t tail = old.Size() - expected.Offset();
    return file.Size() - offset == tail && platform::SameBytes(oldPath, expected.Offset(), path, offset, tail);
}

// The rewritten file must read as Ogg Vorbis holding the new comments in
// sound header pages, followed by the old audio pages.
bool ReadsBack(const fs::path& oldPath, const FileReader& old, const Layout& oldLayout, const fs::path& path,
               const std::vector<OggPacket>& packets, std::int64_t delta)
{
    const FileReader file(path);
    Layout layout;
    if (!ReadLayout(file, layout) || !Rebuildable(layout) || layout.run.packets.size() != packets.size())
        return false;
    for (std::size_t i = 0; i < packets.size(); ++i)
        if (layout.run.packets[i].data != packets[i].data)
            return false;
    for (const OggPage& page : layout.run.pages)
        if (!OggChecksumValid(page))
            return false;
    return layout.second->offset == oldLayout.second->offset &&
           platform::SameBytes(oldPath, 0, path, 0, layout.second->offset) &&
           SameFollowingPages(oldPath, old, oldLayout, path, file, layout, delta);
}

}  // namespace

void TOggVorbis::Clear()
{
    *this = TOggVorbis{};
}

bool TOggVorbis::Load(const fs::path& path)
{
    Clear();
    const FileReader file(path);
    Layout layout;
    if (!ReadLayout(file, layout))
        return false;
    const auto values = FieldValues(layout.comments.items);
    RawComments = layout.comments.items;
    ID3v2Size = layout.id3v2Size;
    Title = values[Field::Title];
    Artist = values[Field::Artist].empty() ? values[Field::Performer] : values[Field::Artist];
    Album = values[Field::Album];
    Track = TrackNumberOf(values[Field::TrackNumber]);
    Date = values[Field::Date];
    Genre = values[Field::Genre];
    Comment = values[Field::Comment].empty() ? values[Field::Description] : values[Field::Comment];
    Vendor = DecodeCommentText(TrimControls(layout.comments.vendor));
    return true;
}

std::vector<std::string> TOggVorbis::CommentItems(const std::vector<std::string>& old) const
{
    const std::array<std::string, OwnedFields> values = {
        Title, Artist, Album, Track > 0 ? std::to_string(Track) : std::string(), Date, Genre, Comment};
    const auto read = FieldValues(old);
    // A field that still holds what was read keeps its comments as stored
    // (several ARTIST values, a track "5/12").
    const auto unchanged = [&](std::size_t i) {
        return i == Field::TrackNumber ? TrackNumberOf(read[i]) == Track && (Track > 0 || read[i].empty())
                                       : TrimControls(values[i]) == read[i];
    };
    std::vector<std::string> items;
    for (std::size_t i = 0; i < OwnedFields; ++i) {
        const std::string_view value = TrimControls(values[i]);
        if (unchanged(i)) {
            for (const std::string& item : old)
                if (const auto split = SplitCommentItem(item); split && split->name == FieldNames[i])
                    items.push_back(item);
        } else if (!value.empty()) {
            items.push_back(JoinCommentItem(FieldNames[i], value));
        }
    }
    for (const std::string& item : old) {
        const auto split = SplitCommentItem(item);
        if (!split || !OwnedIndex(split->name))
            items.push_back(item);
    }
    return items;
}

bool TOggVorbis::Save(const fs::path& path)
{
    return Rewrite(path, [this](const std::vector<std::string>& old) { return CommentItems(old); });
}

bool TOggVorbis::SaveComments(const fs::path& path, const std::vector<std::string>& items)
{
    return Rewrite(path, [&](const std::vector<std::string>&) { return items; });
}

bool TOggVorbis::Rewrite(const fs::path& path, const NewItems& newItems)
{
    std::error_code ec;
    if (!fs::exists(path, ec) || !platform::MakeWritable(path))
        return false;
    const FileReader file(path);
    Layout layout;
    if (!ReadLayout(file, layout))
        return platform::RefuseRewrite("not an Ogg stream whose comments can be written");
    if (!Rebuildable(layout))
        return platform::RefuseRewrite("the comment header is missing or damaged");
    const std::vector<OggPacket> packets = NewHeaderPackets(layout, newItems(layout.comments.items));
    const bool endOfStream = layout.run.pages.back().Flags() & OggEndOfStream;
    const std::vector<OggPage> pages = PaginatePackets(packets, *layout.second, endOfStream);
    const std::int64_t delta = std::int64_t(pages.size()) - std::int64_t(layout.run.pages.size());
    return platform::RewriteFile(
        path,
        [&](platform::RewriteOutput& out) {
            if (!out.CopyOriginal(0, layout.second->offset))
                return false;
            for (const OggPage& page : pages)
                if (!WritePage(out, page))
                    return false;
            return CopyFollowingPages(file, out, layout, delta);
        },
        [&](const fs::path& written) { return ReadsBack(path, file, layout, written, packets, delta); });
}

std::string TOggVorbis::EncoderName() const
{
    return VorbisReleaseName(Vendor);
}
