// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the audio of a file starts and ends: an ID3v2 tag at the front; an
// APE tag, a Lyrics3 block and an ID3v1 tag at the back. Readers and the tag
// writers measure files with this one routine.

#include <cstdint>
#include <filesystem>
#include <string>

struct TTagLayout {
    std::uint64_t FileSize = 0;
    std::uint64_t ID3v2Size = 0;    // whole tag, 0 when none or unusable
    std::uint64_t ID3v1Size = 0;    // 128 or 0
    std::uint64_t Lyrics3Offset = 0;  // first byte of the Lyrics3 block ("LYRICSBEGIN")
    std::uint64_t Lyrics3Size = 0;    // whole block, size digits and marker included
    std::uint64_t APEOffset = 0;    // first byte of the APE tag (header when present)
    std::uint64_t APESize = 0;      // whole tag, header included; 0 when none

    std::uint64_t AudioStart() const { return ID3v2Size; }
    // End of the audio: before every tag found at the back.
    std::uint64_t AudioEnd() const;
};

namespace tagfile {
class Reader;
}

// False when the file cannot be opened or read.
bool ReadTagLayout(const std::filesystem::path& file, TTagLayout& layout);
void ReadTagLayout(const tagfile::Reader& file, TTagLayout& layout);

// The probes behind ReadTagLayout, for the tag classes.
namespace taglayout {

constexpr std::uint64_t ID3v1Length = 128;
constexpr std::uint64_t APEFooterLength = 32;
constexpr std::uint64_t Lyrics3FooterLength = 15;  // 6 size digits and "LYRICS200"

// Whole ID3v2 tag size from the file's first 10 bytes, footer included;
// 0 when they do not start with "ID3" or the size exceeds the file.
std::uint64_t ID3v2Size(const std::string& header, std::uint64_t fileSize);

bool HasID3v1(const tagfile::Reader& file);

// The size value of a Lyrics3 version 2 block that ends at end (its footer
// included); 0 when there is none.
std::uint64_t Lyrics3SizeBefore(const tagfile::Reader& file, std::uint64_t end);

struct APEFooter {
    std::uint32_t Version = 0;
    std::uint32_t Size = 0;   // items plus footer
    std::uint32_t Count = 0;
    std::uint32_t Flags = 0;
    std::uint64_t ItemsOffset = 0;
    std::uint64_t TagOffset = 0;  // header when there is one, else the items
    bool SizeUsable = false;      // the items fit in the file before the footer
    // As a writer makes it: reserved bytes zero, not marked as a header, and
    // no more items than the size can hold.
    bool WellFormed = false;
};

// An APE footer whose last byte is at end - 1; false when there is none.
bool ReadAPEFooter(const tagfile::Reader& file, std::uint64_t end, APEFooter& footer);

}  // namespace taglayout
