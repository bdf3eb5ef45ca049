#pragma once

// Ogg pages (RFC 3533): reading one, following a packet across pages, and
// the page checksum.

#include "analysis/Bytes.h"
#include "analysis/FileReader.h"

#include <optional>
#include <span>

namespace analysis {

struct OggPage {
    static constexpr std::size_t FixedHeaderSize = 27;

    std::uint64_t offset = 0;
    Bytes header;  // the 27 fixed bytes, then the lacing values
    Bytes body;

    std::size_t SegmentCount() const { return header.size() - FixedHeaderSize; }
    std::uint8_t Lacing(std::size_t index) const { return header[FixedHeaderSize + index]; }
    std::uint64_t End() const { return offset + header.size() + body.size(); }
};

// The page at offset; nothing unless it starts with "OggS" and is complete.
std::optional<OggPage> ReadOggPage(const FileReader& file, std::uint64_t offset);

// The page's first packet. segments gets the number of lacing values it
// takes in this page, or 0 when it goes on in the following pages; then the
// packet is followed through them, up to maxSize bytes.
Bytes FirstPacket(const FileReader& file, const OggPage& page, std::size_t& segments,
                  std::size_t maxSize);

// Ogg CRC-32 over a page whose checksum field is zero.
std::uint32_t OggChecksum(std::span<const std::uint8_t> header, std::span<const std::uint8_t> body);

// Recomputes and stores the page's checksum.
void StampOggChecksum(OggPage& page);

}  // namespace analysis
