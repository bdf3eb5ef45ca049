#include "analysis/OggVorbis.h"

#include "analysis/CommentText.h"
#include "analysis/FileRewrite.h"
#include "analysis/OggPage.h"
#include "analysis/VorbisComments.h"
#include "analysis/VorbisVendor.h"
#include "platform/SafeRewrite.h"
#include "tags/classes/TagLayout.h"

#include <array>
#include <charconv>
#include <optional>
#include <ostream>

namespace fs = std::filesystem;
using namespace analysis;

namespace {

constexpr std::size_t PacketIdSize = 7;  // packet type and "vorbis"
constexpr std::size_t MaxSegments = 255;
// Bound for following a comment packet (cover art) across pages.
constexpr std::size_t MaxCommentPacket = std::size_t(64) << 20;

enum Field { Title, Artist, Album, TrackNumber, Date, Genre, Comment, Performer, Description };
constexpr std::array<const char*, 9> FieldNames = {
    "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};
// The fields Save writes; it keeps every other comment as it was.
constexpr std::size_t OwnedFields = 7;

struct Layout {
    std::optional<OggPage> second;    // the page where the comment packet starts
    Bytes packet;                     // the comment packet, empty when there is none
    std::size_t packetSegments = 0;   // its lacing values in that page; 0: it goes on past it
    VorbisCommentList comments;
    std::uint32_t id3v2Size = 0;
};

bool ReadLayout(const FileReader& file, Layout& layout)
{
    const Bytes header = file.Read(0, 10);
    layout.id3v2Size = std::uint32_t(taglayout::ID3v2Size(std::string(header.begin(), header.end()), file.Size()));
    const auto first = ReadOggPage(file, layout.id3v2Size);
    if (!first || !StartsWith(first->body, "\x01vorbis"))
        return false;
    layout.second = ReadOggPage(file, first->End());
    if (layout.second && StartsWith(layout.second->body, "\x03vorbis")) {
        layout.packet = FirstPacket(file, *layout.second, layout.packetSegments, MaxCommentPacket);
        if (layout.packet.size() < PacketIdSize) {
            layout.packet.clear();  // lacing that cuts the packet id short: no comment header
            return true;
        }
        layout.comments = ParseVorbisComments(std::span(layout.packet).subspan(PacketIdSize));
    }
    return true;
}

// A layout whose comment packet Save can rebuild within the second page.
bool Rebuildable(const Layout& layout)
{
    return !layout.packet.empty() && layout.packetSegments > 0 && layout.comments.complete;
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

// The number before any "/", low 8 bits kept; 0 when it is not a number.
std::uint16_t TrackNumberOf(const std::string& text)
{
    const std::string_view digits = std::string_view(text).substr(0, text.find('/'));
    long long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return 0;
    return std::uint16_t(number & 0xFF);
}

std::optional<OggPage> RebuildSecondPage(const Layout& layout, const std::vector<std::string>& items)
{
    const OggPage& old = *layout.second;
    Bytes packet(layout.packet.begin(), layout.packet.begin() + PacketIdSize);
    const Bytes list = BuildVorbisComments(layout.comments.vendor, items);
    packet.insert(packet.end(), list.begin(), list.end());
    // Whatever followed the list in the old packet (its framing bit) stays.
    packet.insert(packet.end(), layout.packet.begin() + std::ptrdiff_t(PacketIdSize + layout.comments.end),
                  layout.packet.end());

    const std::size_t kept = old.SegmentCount() - layout.packetSegments;
    const std::size_t segments = packet.size() / 255 + 1 + kept;
    if (segments > MaxSegments)
        return std::nullopt;
    OggPage page;
    page.offset = old.offset;
    page.header.assign(old.header.begin(), old.header.begin() + OggPage::FixedHeaderSize);
    page.header[26] = std::uint8_t(segments);
    page.header.insert(page.header.end(), packet.size() / 255, std::uint8_t(255));
    page.header.push_back(std::uint8_t(packet.size() % 255));
    page.header.insert(page.header.end(), old.header.end() - std::ptrdiff_t(kept), old.header.end());
    page.body = std::move(packet);
    page.body.insert(page.body.end(), old.body.begin() + std::ptrdiff_t(layout.packet.size()), old.body.end());
    StampOggChecksum(page);
    return page;
}

// The rewritten file must read as Ogg Vorbis with a sound comment page.
bool ReadsBack(const fs::path& path)
{
    const FileReader file(path);
    Layout layout;
    if (!ReadLayout(file, layout) || !Rebuildable(layout))
        return false;
    OggPage page = *layout.second;
    const Bytes stored(page.header.begin() + 22, page.header.begin() + 26);
    StampOggChecksum(page);
    return std::equal(stored.begin(), stored.end(), page.header.begin() + 22);
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
    std::vector<std::string> items;
    for (std::size_t i = 0; i < OwnedFields; ++i) {
        const std::string_view value = TrimControls(values[i]);
        if (!value.empty())
            items.push_back(JoinCommentItem(FieldNames[i], value));
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
    std::error_code ec;
    if (!fs::exists(path, ec) || !platform::MakeWritable(path))
        return false;
    const FileReader file(path);
    Layout layout;
    if (!ReadLayout(file, layout) || !Rebuildable(layout))
        return false;
    const auto page = RebuildSecondPage(layout, CommentItems(layout.comments.items));
    if (!page)
        return false;
    const std::uint64_t rest = layout.second->End();
    return ReplaceThroughTemporary(
        path,
        [&](std::ostream& out) {
            return file.CopyTo(out, 0, page->offset) && WriteBytes(out, page->header) &&
                   WriteBytes(out, page->body) && file.CopyTo(out, rest, file.Size() - rest);
        },
        ReadsBack);
}

std::string TOggVorbis::EncoderName() const
{
    return VorbisReleaseName(Vendor);
}
