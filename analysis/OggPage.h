// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ogg pages (RFC 3533): reading one, following packets across pages, laying
// packets out into pages again, and the page checksum.

#include "analysis/Bytes.h"
#include "analysis/FileReader.h"

#include <optional>
#include <span>
#include <vector>

namespace analysis {

struct OggPage {
    static constexpr std::size_t FixedHeaderSize = 27;

    std::uint64_t offset = 0;
    Bytes header;  // the 27 fixed bytes, then the lacing values
    Bytes body;

    std::size_t SegmentCount() const { return header.size() - FixedHeaderSize; }
    std::uint8_t Lacing(std::size_t index) const { return header[FixedHeaderSize + index]; }
    std::uint64_t End() const { return offset + header.size() + body.size(); }
    std::uint8_t Flags() const { return header[5]; }
    std::uint64_t Granule() const;
    std::uint32_t Serial() const;
    std::uint32_t Sequence() const;
    void SetSequence(std::uint32_t sequence);
};

constexpr std::uint8_t OggContinued = 0x01;
constexpr std::uint8_t OggEndOfStream = 0x04;

struct OggPacket {
    Bytes data;
    std::uint64_t granule = 0;  // of the page where the packet ends
};

// The pages of one stream from a page that starts a packet, read until a
// page ends where a packet ends.
struct OggPacketRun {
    std::vector<OggPage> pages;
    std::vector<OggPacket> packets;
    Bytes unfinished;       // a packet that the file cut short
    bool complete = false;  // the last page ends where a packet ends
};

// The page at offset; nothing unless it starts with "OggS" and is complete.
std::optional<OggPage> ReadOggPage(const FileReader& file, std::uint64_t offset);

// Reads the run that starts with first; pages of other streams, a page that
// does not continue an unfinished packet, or more than maxSize bytes end it
// incomplete.
OggPacketRun ReadPacketRun(const FileReader& file, const OggPage& first, std::size_t maxSize);

// Lays the packets out into pages of at most 255 segments, the first page
// numbered like model and carrying its stream; each page's granule is that
// of the last packet ending on it (-1 when none does). The last page gets
// the end-of-stream flag when endOfStream. Checksums are stamped.
std::vector<OggPage> PaginatePackets(const std::vector<OggPacket>& packets, const OggPage& model,
                                     bool endOfStream);

// True when the page's stored checksum is right.
bool OggChecksumValid(const OggPage& page);

// Ogg CRC-32 over a page whose checksum field is zero.
std::uint32_t OggChecksum(std::span<const std::uint8_t> header, std::span<const std::uint8_t> body);

// Recomputes and stores the page's checksum.
void StampOggChecksum(OggPage& page);

}  // namespace analysis
