#include "tags/classes/ID3v2Frames.h"

#include "tags/classes/TagText.h"

namespace id3v2 {
namespace {

constexpr const char* IDs23[FrameCount] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM",
                                           "TENC", "TCOP", "TLAN", "WXXX", "TDRC", "TOPE", "TIT1", "TOAL"};
constexpr const char* IDs22[FrameCount] = {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM",
                                           "TEN", "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT"};

// ID3v2.3 frame flags (second byte).
constexpr std::uint8_t V3Compressed = 0x80, V3Encrypted = 0x40, V3Grouped = 0x20;
// ID3v2.4 frame flags (second byte).
constexpr std::uint8_t V4Grouped = 0x40, V4Compressed = 0x08, V4Encrypted = 0x04, V4Unsynchronised = 0x02,
                       V4LengthIndicator = 0x01;
constexpr std::uint8_t TagUnsynchronised = 0x80, TagExtendedHeader = 0x40;

std::uint32_t BigEndian(std::string_view bytes, int count, int bitsPerByte)
{
    std::uint32_t value = 0;
    const std::uint32_t mask = (1u << bitsPerByte) - 1;
    for (int i = 0; i < count; ++i)
        value = (value << bitsPerByte) | (static_cast<unsigned char>(bytes[i]) & mask);
    return value;
}

std::string BigEndianBytes(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// Undoes unsynchronisation: every FF 00 becomes FF.
std::string Resync(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0)
            ++i;
    }
    return out;
}

// Bytes of the extended header at the start of the body.
std::size_t ExtendedHeaderLength(std::string_view body, std::uint8_t version, std::uint8_t flags)
{
    if (!(flags & TagExtendedHeader) || version < 3 || body.size() < 4)
        return 0;
    return version == 3 ? 4 + std::size_t{BigEndian(body, 4, 8)} : BigEndian(body, 4, 7);
}

std::string Header23(std::string_view id, std::size_t size, std::uint8_t status)
{
    return std::string(id) + BigEndianBytes(static_cast<std::uint32_t>(size)) + static_cast<char>(status) + '\0';
}

void Unwrap23(Frame& frame, std::uint8_t format, std::string_view whole)
{
    frame.readable = !(format & (V3Compressed | V3Encrypted));
    if ((format & V3Grouped) && !frame.data.empty())
        frame.data.erase(0, 1);
    frame.asV23 = whole;
}

void Unwrap24(Frame& frame, std::uint8_t status, std::uint8_t format, bool tagUnsync)
{
    frame.readable = !(format & (V4Compressed | V4Encrypted));
    if (!frame.readable)
        return;
    if (format & V4Grouped && !frame.data.empty())
        frame.data.erase(0, 1);
    if (format & V4LengthIndicator)
        frame.data.erase(0, 4);
    if ((format & V4Unsynchronised) || tagUnsync)
        frame.data = Resync(frame.data);
    if (format & V4Grouped)
        return;
    // Status flags move one bit up from 2.4 to 2.3.
    frame.asV23 = Header23(frame.id, frame.data.size(), (status << 1) & 0xE0) + frame.data;
}

// End of a string that starts at from: the first 0 (one byte) or the first
// aligned 00 00 (UTF-16); npos when there is none.
std::size_t TerminatorEnd(std::string_view data, std::size_t from, bool wide)
{
    if (!wide) {
        const std::size_t at = data.find('\0', from);
        return at == std::string_view::npos ? at : at + 1;
    }
    for (std::size_t i = from; i + 1 < data.size(); i += 2) {
        if (data[i] == 0 && data[i + 1] == 0)
            return i + 2;
    }
    return std::string_view::npos;
}

std::string EncodedText(std::string_view text, bool wide)
{
    return wide ? std::string("\xFF\xFE") + tagtext::Utf8ToUtf16LE(text) : tagtext::Utf8ToLatin1(text);
}

}  // namespace

int FrameIndex(std::string_view id, std::uint8_t version)
{
    const auto& ids = version == 2 ? IDs22 : IDs23;
    for (int i = 0; i < FrameCount; ++i) {
        if (id == ids[i])
            return i + 1;
    }
    return 0;
}

const char* FrameID(int index)
{
    return IDs23[index - 1];
}

std::vector<Frame> ParseFrames(std::string body, std::uint8_t version, std::uint8_t flags)
{
    const bool tagUnsync = flags & TagUnsynchronised;
    if (tagUnsync && version < 4)
        body = Resync(body);
    const std::size_t headerLength = version == 2 ? 6 : 10;
    const std::size_t idLength = version == 2 ? 3 : 4;
    std::vector<Frame> frames;
    std::size_t pos = ExtendedHeaderLength(body, version, flags);
    while (pos < body.size() && body.size() - pos >= headerLength && body[pos] >= 'A' && body[pos] <= 'Z') {
        const std::string_view header = std::string_view(body).substr(pos, headerLength);
        const std::size_t declared = version == 2   ? BigEndian(header.substr(3), 3, 8)
                                     : version == 3 ? BigEndian(header.substr(4), 4, 8)
                                                    : BigEndian(header.substr(4), 4, 7);
        const std::size_t size = std::min(declared, body.size() - pos - headerLength);
        Frame frame;
        frame.id = header.substr(0, idLength);
        frame.data = body.substr(pos + headerLength, size);
        if (version == 2)
            frame.readable = true;
        else if (version == 3)
            Unwrap23(frame, header[9], std::string_view(body).substr(pos, headerLength + size));
        else
            Unwrap24(frame, header[8], header[9], tagUnsync);
        frames.push_back(std::move(frame));
        pos += headerLength + size;
    }
    return frames;
}

bool HasReadableEncoding(std::string_view data)
{
    return !data.empty() && (data[0] == 0 || data[0] == 1);
}

std::string DecodeText(std::string_view data)
{
    if (data.empty())
        return {};
    std::string_view text = data.substr(1);
    if (data[0] != 1)
        return tagtext::Trim(tagtext::Latin1ToUtf8(text.substr(0, text.find('\0'))));
    bool bigEndian = false;
    if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'))) {
        bigEndian = text[0] == '\xFE';
        text.remove_prefix(2);
    }
    return tagtext::Trim(tagtext::Utf16ToUtf8(text, bigEndian));
}

std::string DecodeComment(std::string_view data)
{
    if (data.size() < 4)
        return {};
    const std::size_t end = TerminatorEnd(data, 4, data[0] == 1);
    return end == std::string_view::npos ? std::string() : DecodeText(std::string(1, data[0]) + std::string(data.substr(end)));
}

std::string DecodeLink(std::string_view data)
{
    if (data.empty())
        return {};
    const std::size_t end = TerminatorEnd(data, 1, data[0] == 1);
    return end == std::string_view::npos ? std::string() : DecodeText(std::string(1, '\0') + std::string(data.substr(end)));
}

std::string TextFrame(const char* id, std::string_view text)
{
    const bool wide = !tagtext::FitsLatin1(text);
    const std::string data = std::string(1, wide ? '\1' : '\0') + EncodedText(text, wide);
    return Header23(id, data.size(), 0) + data;
}

std::string CommentFrame(std::string_view text)
{
    const bool wide = !tagtext::FitsLatin1(text);
    const std::string description = wide ? std::string("\xFF\xFE\0\0", 4) : std::string(1, '\0');
    const std::string data = std::string(1, wide ? '\1' : '\0') + "eng" + description + EncodedText(text, wide);
    return Header23("COMM", data.size(), 0) + data;
}

std::string LinkFrame(std::string_view url)
{
    // A link is always ISO-8859-1, whatever the description's encoding.
    const std::string data = std::string(2, '\0') + tagtext::Utf8ToLatin1(url);
    return Header23("WXXX", data.size(), 0) + data;
}

}  // namespace id3v2
