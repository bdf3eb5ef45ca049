// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/OggPage.h"

#include <array>

namespace analysis {
namespace {

constexpr std::size_t ChecksumOffset = 22;
constexpr std::size_t SequenceOffset = 18;

// Polynomial 0x04C11DB7, most significant bit first, no reflection.
constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = r;
    }
    return table;
}

constexpr auto CrcTable = MakeCrcTable();

std::uint32_t Crc(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    for (std::uint8_t b : bytes)
        crc = (crc << 8) ^ CrcTable[((crc >> 24) ^ b) & 0xFF];
    return crc;
}

std::uint64_t ReadLE64(const std::uint8_t* p)
{
    return std::uint64_t(ReadLE32(p)) | std::uint64_t(ReadLE32(p + 4)) << 32;
}

constexpr std::size_t MaxSegments = 255;
constexpr std::uint64_t NoGranule = ~std::uint64_t(0);

// Adds the page's segments to the run; true when the page ends a packet.
bool TakeSegments(const OggPage& page, OggPacketRun& run)
{
    std::size_t at = 0;
    for (std::size_t i = 0; i < page.SegmentCount(); ++i) {
        const std::size_t size = page.Lacing(i);
        run.unfinished.insert(run.unfinished.end(), page.body.begin() + std::ptrdiff_t(at),
                              page.body.begin() + std::ptrdiff_t(at + size));
        at += size;
        if (size < 255) {
            run.packets.push_back({std::move(run.unfinished), page.Granule()});
            run.unfinished.clear();
        }
    }
    return run.unfinished.empty();
}

// Builds pages while packets are laid out segment by segment.
class Paginator {
public:
    explicit Paginator(const OggPage& model) : sequence_(model.Sequence())
    {
        fixed_.assign(model.header.begin(), model.header.begin() + OggPage::FixedHeaderSize);
    }

    void Add(const OggPacket& packet)
    {
        std::size_t at = 0;
        do {
            const std::size_t size = std::min<std::size_t>(packet.data.size() - at, 255);
            if (lacing_.size() == MaxSegments)
                Flush(at > 0);
            lacing_.push_back(std::uint8_t(size));
            body_.insert(body_.end(), packet.data.begin() + std::ptrdiff_t(at),
                         packet.data.begin() + std::ptrdiff_t(at + size));
            at += size;
            if (size < 255)
                granule_ = packet.granule;
        } while (at < packet.data.size() || (at == packet.data.size() && lacing_.back() == 255));
    }

    std::vector<OggPage> Finish(bool endOfStream)
    {
        if (!lacing_.empty() || pages_.empty())
            Flush(false);
        if (endOfStream) {
            pages_.back().header[5] |= OggEndOfStream;
            StampOggChecksum(pages_.back());
        }
        return std::move(pages_);
    }

private:
    void Flush(bool midPacket)
    {
        OggPage page;
        page.header = fixed_;
        page.header[5] = continued_ ? OggContinued : 0;
        for (int i = 0; i < 8; ++i)
            page.header[6 + i] = std::uint8_t(granule_ >> (8 * i));
        page.header[26] = std::uint8_t(lacing_.size());
        page.header.insert(page.header.end(), lacing_.begin(), lacing_.end());
        page.body = std::move(body_);
        page.SetSequence(sequence_++);
        StampOggChecksum(page);
        pages_.push_back(std::move(page));
        lacing_.clear();
        body_.clear();
        granule_ = NoGranule;
        continued_ = midPacket;
    }

    Bytes fixed_;
    std::uint32_t sequence_;
    Bytes lacing_;
    Bytes body_;
    std::uint64_t granule_ = NoGranule;
    bool continued_ = false;
    std::vector<OggPage> pages_;
};

}  // namespace

std::optional<OggPage> ReadOggPage(const FileReader& file, std::uint64_t offset)
{
    OggPage page;
    page.offset = offset;
    page.header = file.Read(offset, OggPage::FixedHeaderSize);
    if (page.header.size() < OggPage::FixedHeaderSize || !StartsWith(page.header, "OggS"))
        return std::nullopt;
    const std::size_t segments = page.header[26];
    const Bytes lacing = file.Read(offset + OggPage::FixedHeaderSize, segments);
    if (lacing.size() < segments)
        return std::nullopt;
    page.header.insert(page.header.end(), lacing.begin(), lacing.end());
    std::size_t bodySize = 0;
    for (std::uint8_t value : lacing)
        bodySize += value;
    page.body = file.Read(offset + page.header.size(), bodySize);
    if (page.body.size() < bodySize)
        return std::nullopt;
    return page;
}

OggPacketRun ReadPacketRun(const FileReader& file, const OggPage& first, std::size_t maxSize)
{
    OggPacketRun run;
    std::size_t size = 0;
    for (std::optional<OggPage> page = first; page; page = ReadOggPage(file, page->End())) {
        const bool continues = !run.unfinished.empty();
        size += page->body.size();
        if (page->Serial() != first.Serial() || bool(page->Flags() & OggContinued) != continues || size > maxSize)
            break;
        run.pages.push_back(*page);
        if (TakeSegments(*page, run) && !run.packets.empty()) {
            run.complete = true;
            break;
        }
    }
    return run;
}

std::vector<OggPage> PaginatePackets(const std::vector<OggPacket>& packets, const OggPage& model,
                                     bool endOfStream)
{
    Paginator paginator(model);
    for (const OggPacket& packet : packets)
        paginator.Add(packet);
    return paginator.Finish(endOfStream);
}

std::uint32_t OggChecksum(std::span<const std::uint8_t> header, std::span<const std::uint8_t> body)
{
    return Crc(Crc(0, header), body);
}

void StampOggChecksum(OggPage& page)
{
    for (std::size_t i = 0; i < 4; ++i)
        page.header[ChecksumOffset + i] = 0;
    const std::uint32_t crc = OggChecksum(page.header, page.body);
    for (std::size_t i = 0; i < 4; ++i)
        page.header[ChecksumOffset + i] = std::uint8_t(crc >> (8 * i));
}

bool OggChecksumValid(const OggPage& page)
{
    OggPage copy = page;
    StampOggChecksum(copy);
    return copy.header == page.header;
}

std::uint64_t OggPage::Granule() const
{
    return ReadLE64(header.data() + 6);
}

std::uint32_t OggPage::Serial() const
{
    return ReadLE32(header.data() + 14);
}

std::uint32_t OggPage::Sequence() const
{
    return ReadLE32(header.data() + SequenceOffset);
}

void OggPage::SetSequence(std::uint32_t sequence)
{
    for (std::size_t i = 0; i < 4; ++i)
        header[SequenceOffset + i] = std::uint8_t(sequence >> (8 * i));
}

}  // namespace analysis
