#pragma once

// Where the audio of a file starts and ends: an ID3v2 tag at the front; an
// APE tag, a Lyrics3 block and an ID3v1 tag at the back. Readers and the tag
// writers measure files with this one routine.

#include <cstdint>
#include <filesystem>

struct TTagLayout {
    std::uint64_t FileSize = 0;
    std::uint64_t ID3v2Size = 0;    // whole tag, 0 when none or unusable
    std::uint64_t ID3v1Size = 0;    // 128 or 0
    std::uint64_t Lyrics3Size = 0;  // whole block, size digits and marker included
    std::uint64_t APEOffset = 0;    // first byte of the APE tag (header when present)
    std::uint64_t APESize = 0;      // whole tag, header included; 0 when none

    std::uint64_t AudioStart() const { return ID3v2Size; }
    // End of the audio: before every tag found at the back.
    std::uint64_t AudioEnd() const;
};

// False when the file cannot be opened or read.
bool ReadTagLayout(const std::filesystem::path& file, TTagLayout& layout);
