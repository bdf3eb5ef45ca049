// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/APETag.h"

#include "tags/classes/TagBytes.h"
#include "tags/classes/TagFile.h"
#include "tags/classes/TagLayout.h"
#include "tags/classes/TagText.h"

using tagbytes::Le32;
using tagbytes::Le32Bytes;

namespace {

constexpr std::uint32_t WrittenVersion = 2000;
constexpr std::uint32_t FlagHasHeader = 0x80000000u;
constexpr std::uint32_t FlagIsHeader = 0x20000000u;
constexpr std::uint32_t ItemKeptFlags = 0x7;  // read-only and value type

std::string Frame(std::uint32_t size, std::uint32_t count, std::uint32_t flags)
{
    return "APETAGEX" + Le32Bytes(WrittenVersion) + Le32Bytes(size) + Le32Bytes(count) + Le32Bytes(flags) +
           std::string(8, '\0');
}

// Items of the region between the first item and the footer.
AField ParseItems(std::string_view region, std::uint32_t count)
{
    AField fields;
    std::size_t pos = 0;
    for (std::uint32_t i = 0; i < count && region.size() - pos >= 8; ++i) {
        const std::uint32_t length = Le32(region, pos);
        const std::uint32_t flags = Le32(region, pos + 4);
        const std::size_t keyEnd = region.find('\0', pos + 8);
        if (keyEnd == std::string_view::npos || length > region.size() - keyEnd - 1)
            break;
        const std::string_view value = region.substr(keyEnd + 1, length);
        fields.push_back({tagtext::Trim(region.substr(pos + 8, keyEnd - pos - 8)), std::string(value),
                          flags & ItemKeptFlags});
        pos = keyEnd + 1 + length;
    }
    return fields;
}

// Where the file's APE tag sits: [start, end), found by the layout that
// every reader uses, so a Lyrics3 block on either side stays where it is.
// Without a tag, start equals end: in front of any Lyrics3 block and
// ID3v1 tag, after a footer whose size cannot be right (left alone rather
// than guessed around).
struct Placement {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    taglayout::APEFooter footer;
    bool found = false;
};

// False when the file is too short to hold a footer.
bool Locate(const tagfile::Reader& reader, Placement& place)
{
    TTagLayout layout;
    ReadTagLayout(reader, layout);
    // Not the audio's end: an ID3v2 tag that reaches into the back tags must not move the place.
    place.end = layout.APESize ? layout.APEOffset + layout.APESize
                               : layout.FileSize - layout.ID3v1Size - layout.Lyrics3Size;
    place.start = layout.APESize ? layout.APEOffset : place.end;
    if (layout.FileSize - layout.ID3v1Size <= taglayout::APEFooterLength)
        return false;
    place.found = taglayout::ReadAPEFooter(reader, place.end, place.footer);
    return true;
}

bool ReplaceTag(const std::filesystem::path& file, const std::string& tag)
{
    tagfile::Reader reader;
    if (!reader.Open(file))
        return false;
    Placement place;
    Locate(reader, place);
    if (tag.empty() && place.start == place.end)
        return true;
    return tagfile::Rewrite(file, {tagfile::Piece::Range(0, place.start), tagfile::Piece::Bytes(tag),
                                   tagfile::Piece::Range(place.end, reader.Size() - place.end)});
}

}  // namespace

TAPETag::TAPETag() = default;

void TAPETag::Clear()
{
    *this = TAPETag();
}

bool TAPETag::Load(const std::filesystem::path& file)
{
    Clear();
    tagfile::Reader reader;
    Placement place;
    if (!reader.Open(file) || !Locate(reader, place))
        return false;
    if (!place.found)
        return true;
    exists_ = true;
    version_ = place.footer.Version;
    size_ = static_cast<std::int32_t>(place.footer.Size);
    std::string region;
    if (place.footer.SizeUsable &&
        reader.ReadAt(place.footer.ItemsOffset, place.footer.Size - taglayout::APEFooterLength, region))
        fields_ = ParseItems(region, place.footer.Count);
    return true;
}

std::string TAPETag::BuildTag() const
{
    std::string items;
    for (const RField& field : fields_) {
        items += Le32Bytes(static_cast<std::uint32_t>(field.Value.size())) + Le32Bytes(field.Flags & ItemKeptFlags) +
                 field.Name + '\0' + field.Value;
    }
    const auto size = static_cast<std::uint32_t>(items.size() + taglayout::APEFooterLength);
    const auto count = static_cast<std::uint32_t>(fields_.size());
    return Frame(size, count, FlagHasHeader | FlagIsHeader) + items + Frame(size, count, FlagHasHeader);
}

bool TAPETag::Save(const std::filesystem::path& file) const
{
    return ReplaceTag(file, BuildTag());
}

bool TAPETag::RemoveFromFile(const std::filesystem::path& file) const
{
    return ReplaceTag(file, {});
}

void TAPETag::SetItem(std::string_view key, std::string_view value)
{
    if (value.empty()) {
        std::erase_if(fields_, [&](const RField& field) { return tagbytes::SameLetters(field.Name, key); });
        return;
    }
    for (RField& field : fields_) {
        if (tagbytes::SameLetters(field.Name, key)) {
            // The same value keeps its flags (a read-only mark stays).
            if (field.Value != value)
                field.Flags = 0;
            field.Value = value;
            return;
        }
    }
    fields_.push_back({std::string(key), std::string(value), 0});
}

std::string TAPETag::GetItem(std::string_view key) const
{
    const RField* field = FindItem(key);
    return field ? field->Value : std::string();
}

const RField* TAPETag::FindItem(std::string_view key) const
{
    for (const RField& field : fields_) {
        if (tagbytes::SameLetters(field.Name, key))
            return &field;
    }
    return nullptr;
}
