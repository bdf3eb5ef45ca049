#include "analysis/OggPage.h"

#include <array>

namespace analysis {
namespace {

constexpr std::size_t ChecksumOffset = 22;
constexpr std::uint8_t ContinuedPacket = 0x01;

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

// Appends the page's leading segments up to the first lacing value below 255.
bool AppendPacketPart(const OggPage& page, Bytes& packet, std::size_t& segments)
{
    std::size_t size = 0;
    for (std::size_t i = 0; i < page.SegmentCount(); ++i) {
        size += page.Lacing(i);
        if (page.Lacing(i) < 255) {
            segments = i + 1;
            packet.insert(packet.end(), page.body.begin(), page.body.begin() + std::ptrdiff_t(size));
            return true;
        }
    }
    packet.insert(packet.end(), page.body.begin(), page.body.end());
    return false;
}

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

Bytes FirstPacket(const FileReader& file, const OggPage& page, std::size_t& segments, std::size_t maxSize)
{
    Bytes packet;
    segments = 0;
    if (AppendPacketPart(page, packet, segments))
        return packet;
    std::size_t unused = 0;
    for (auto next = ReadOggPage(file, page.End()); next && packet.size() < maxSize;
         next = ReadOggPage(file, next->End())) {
        if (!(next->header[5] & ContinuedPacket) || AppendPacketPart(*next, packet, unused))
            break;
    }
    return packet;
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

}  // namespace analysis
