// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/TagLayout.h"

#include "tags/classes/TagBytes.h"
#include "tags/classes/TagFile.h"

using tagbytes::Le32;

namespace taglayout {
namespace {

constexpr std::uint32_t APEHasHeader = 0x80000000u;
constexpr std::uint32_t APEIsHeader = 0x20000000u;

// The footer's items, one after another, end exactly at the footer: text
// of an ID3v1 tag that happens to spell a footer does not.
bool ItemsFillTag(const tagfile::Reader& file, const APEFooter& footer)
{
    std::string region;
    if (!file.ReadAt(footer.ItemsOffset, footer.Size - APEFooterLength, region))
        return false;
    std::size_t pos = 0;
    for (std::uint32_t i = 0; i < footer.Count; ++i) {
        const std::size_t keyEnd = region.size() - pos >= 8 ? region.find('\0', pos + 8) : std::string::npos;
        if (keyEnd == std::string::npos || Le32(region, pos) > region.size() - keyEnd - 1)
            return false;
        pos = keyEnd + 1 + Le32(region, pos);
    }
    return pos == region.size();
}

}  // namespace

std::uint64_t ID3v2Size(const std::string& header, std::uint64_t fileSize)
{
    if (header.size() < 10 || header.compare(0, 3, "ID3") != 0)
        return 0;
    const auto byte = [&](int i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(header[i])); };
    std::uint64_t size = (byte(6) << 21) + (byte(7) << 14) + (byte(8) << 7) + byte(9) + 10;
    if (byte(5) & 0x10)
        size += 10;
    return size > fileSize ? 0 : size;
}

bool HasID3v1(const tagfile::Reader& file)
{
    // A file that ends with an APE footer has no ID3v1 tag, even when the
    // "TAG" of the APE header's "APETAGEX" stands 128 bytes before the end.
    APEFooter footer;
    if (ReadAPEFooter(file, file.Size(), footer) && footer.SizeUsable && footer.WellFormed &&
        ItemsFillTag(file, footer))
        return false;
    std::string marker;
    return file.Size() >= ID3v1Length && file.ReadAt(file.Size() - ID3v1Length, 3, marker) &&
           marker == "TAG";
}

std::uint64_t Lyrics3SizeBefore(const tagfile::Reader& file, std::uint64_t end)
{
    std::string footer, begin;
    std::uint64_t size = 0;
    if (end < Lyrics3FooterLength || !file.ReadAt(end - Lyrics3FooterLength, Lyrics3FooterLength, footer) ||
        footer.compare(6, 9, "LYRICS200") != 0 || !tagbytes::ParseDigits(footer.substr(0, 6), size) || size < 11 ||
        size > end - Lyrics3FooterLength)
        return 0;
    const std::uint64_t start = end - Lyrics3FooterLength - size;
    return file.ReadAt(start, 11, begin) && begin == "LYRICSBEGIN" ? size : 0;
}

bool ReadAPEFooter(const tagfile::Reader& file, std::uint64_t end, APEFooter& footer)
{
    footer = {};
    std::string bytes;
    if (end < APEFooterLength || !file.ReadAt(end - APEFooterLength, APEFooterLength, bytes) ||
        bytes.compare(0, 8, "APETAGEX") != 0)
        return false;
    footer.Version = Le32(bytes, 8);
    footer.Size = Le32(bytes, 12);
    footer.Count = Le32(bytes, 16);
    footer.Flags = Le32(bytes, 20);
    footer.SizeUsable = footer.Size >= APEFooterLength && footer.Size <= end;
    constexpr std::uint32_t ShortestItem = 9;  // the two lengths and the key's zero byte
    footer.WellFormed = bytes.compare(24, 8, std::string(8, '\0')) == 0 && !(footer.Flags & APEIsHeader) &&
                        footer.Size >= APEFooterLength && footer.Count <= (footer.Size - APEFooterLength) / ShortestItem;
    if (!footer.SizeUsable)
        return true;
    footer.ItemsOffset = end - footer.Size;
    footer.TagOffset = footer.ItemsOffset;
    // Only a header that is really there is removed with the tag.
    std::string header;
    if ((footer.Flags & APEHasHeader) && footer.ItemsOffset >= APEFooterLength &&
        file.ReadAt(footer.ItemsOffset - APEFooterLength, 8, header) && header == "APETAGEX")
        footer.TagOffset -= APEFooterLength;
    return true;
}

}  // namespace taglayout

std::uint64_t TTagLayout::AudioEnd() const
{
    const std::uint64_t back = ID3v1Size + Lyrics3Size + APESize;
    return FileSize - back > ID3v2Size ? FileSize - back : ID3v2Size;
}

void ReadTagLayout(const tagfile::Reader& reader, TTagLayout& layout)
{
    using namespace taglayout;
    layout = {};
    layout.FileSize = reader.Size();
    std::string header;
    if (reader.ReadAt(0, 10, header))
        layout.ID3v2Size = ID3v2Size(header, layout.FileSize);
    layout.ID3v1Size = HasID3v1(reader) ? ID3v1Length : 0;
    std::uint64_t end = layout.FileSize - layout.ID3v1Size;
    // An APE tag and a Lyrics3 block may stand in either order before ID3v1.
    for (int i = 0; i < 2; ++i) {
        APEFooter footer;
        if (const std::uint64_t lyrics = Lyrics3SizeBefore(reader, end); lyrics && !layout.Lyrics3Size) {
            layout.Lyrics3Size = lyrics + Lyrics3FooterLength;
            end -= layout.Lyrics3Size;
            layout.Lyrics3Offset = end;
        } else if (!layout.APESize && ReadAPEFooter(reader, end, footer) && footer.SizeUsable) {
            layout.APEOffset = footer.TagOffset;
            layout.APESize = end - footer.TagOffset;
            end = footer.TagOffset;
        } else {
            break;
        }
    }
}

bool ReadTagLayout(const std::filesystem::path& file, TTagLayout& layout)
{
    layout = {};
    tagfile::Reader reader;
    if (!reader.Open(file))
        return false;
    ReadTagLayout(reader, layout);
    return true;
}
