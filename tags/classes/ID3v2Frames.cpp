// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v2Frames.h"

#include <algorithm>

#include <zlib.h>

#include "tags/classes/ID3v2Text.h"
#include "tags/classes/TagText.h"

namespace id3v2 {
namespace {

// Version 2.4 differs only in the year: TDRC holds the whole recording time.
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

std::string SizeBytes(std::uint8_t version, std::size_t size)
{
    return version == 4 ? SynchsafeBytes(static_cast<std::uint32_t>(size))
                        : BigEndianBytes(static_cast<std::uint32_t>(size));
}

bool IsFrameID(std::string_view id)
{
    return std::all_of(id.begin(), id.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

struct FrameWalk {
    std::size_t frames = 0;
    bool clean = false;  // ends on the body's end or on padding
};

// Follows the frame headers of a version 2.4 body with one reading of the sizes.
FrameWalk WalkFrames(std::string_view body, bool synchsafe)
{
    FrameWalk walk;
    std::size_t pos = 0;
    while (body.size() - pos >= 10 && IsFrameID(body.substr(pos, 4))) {
        const std::size_t size = BigEndian(body.substr(pos + 4), 4, synchsafe ? 7 : 8);
        ++walk.frames;
        if (size > body.size() - pos - 10)
            return walk;
        pos += 10 + size;
    }
    walk.clean = pos == body.size() || body[pos] == '\0';
    return walk;
}

// Where the frames inside a chapter (CHAP) or table of contents (CTOC)
// frame begin, after its element ID and times or child IDs; npos for any
// other frame or one too short.
std::size_t SubFramesStart(std::string_view id, std::string_view data)
{
    std::size_t pos = data.find('\0');
    if (pos == std::string_view::npos || (id != "CHAP" && id != "CTOC"))
        return std::string_view::npos;
    ++pos;
    if (id == "CHAP")
        return data.size() - pos >= 16 ? pos + 16 : std::string_view::npos;
    if (data.size() - pos < 2)
        return std::string_view::npos;
    const unsigned children = static_cast<unsigned char>(data[pos + 1]);
    pos += 2;
    for (unsigned i = 0; i < children && pos != std::string_view::npos; ++i) {
        pos = data.find('\0', pos);
        pos = pos == std::string_view::npos ? pos : pos + 1;
    }
    return pos;
}

// A 2.4 chapter frame whose own frames have plain sizes gets them synchsafe,
// so that the frame holds what a strict reader of 2.4 expects.
std::string SynchsafeSubFrames(std::string_view id, std::string data)
{
    std::size_t pos = SubFramesStart(id, data);
    if (pos == std::string::npos || !HasPlainFrameSizes(std::string_view(data).substr(pos)))
        return data;
    std::string out = data.substr(0, pos);
    while (data.size() - pos >= 10 && IsFrameID(std::string_view(data).substr(pos, 4))) {
        const std::size_t size = std::min<std::size_t>(BigEndian(data.substr(pos + 4), 4, 8), data.size() - pos - 10);
        out += data.substr(pos, 4) + SynchsafeBytes(static_cast<std::uint32_t>(size)) + data.substr(pos + 8, 2 + size);
        pos += 10 + size;
    }
    return out + data.substr(pos);
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

// A zlib stream, refused when it is broken or grows past its declared
// size (or MaxInflated when the size is not given).
bool Inflate(std::string_view packed, std::size_t declared, std::string& out)
{
    constexpr std::size_t MaxInflated = 1u << 26;
    const std::size_t limit = declared ? std::min(declared, MaxInflated) : MaxInflated;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    out.clear();
    char chunk[16384];
    int result = Z_OK;
    while (result == Z_OK && out.size() <= limit) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, sizeof chunk - stream.avail_out);
        if (result == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END && out.size() <= limit;
}

void Unwrap23(Frame& frame)
{
    std::size_t skip = 0, inflated = 0;
    if (frame.format & V3Compressed) {
        if (frame.data.size() < 4)
            return;
        inflated = BigEndian(frame.data, 4, 8);
        skip = 4;
    }
    if (frame.format & V3Encrypted)
        return;
    if (frame.format & V3Grouped)
        ++skip;
    if (skip > frame.data.size())
        return;
    frame.data.erase(0, skip);
    frame.readable = true;
    if (frame.format & V3Compressed) {
        std::string plain;
        frame.readable = Inflate(frame.data, inflated, plain);
        frame.data = std::move(plain);
    }
}

void Unwrap24(Frame& frame, bool tagUnsync)
{
    if (frame.format & V4Encrypted)
        return;
    std::size_t inflated = 0;
    if (frame.format & V4Grouped && !frame.data.empty())
        frame.data.erase(0, 1);
    if (frame.format & V4LengthIndicator) {
        if (frame.data.size() < 4)
            return;
        inflated = BigEndian(frame.data, 4, 7);
        frame.data.erase(0, 4);
    }
    if ((frame.format & V4Unsynchronised) || tagUnsync)
        frame.data = Resync(frame.data);
    frame.readable = true;
    if (frame.format & V4Compressed) {
        std::string plain;
        frame.readable = Inflate(frame.data, inflated, plain);
        frame.data = std::move(plain);
    }
}

}  // namespace

std::string SynchsafeBytes(std::uint32_t value)
{
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

int FrameIndex(std::string_view id, std::uint8_t version)
{
    // The year's own frame in 2.4; in older tags TDRC is only a fallback.
    if (version == 4 && id == "TDRC")
        return FrameIndex("TYER", 3);
    const auto& ids = version == 2 ? IDs22 : IDs23;
    for (int i = 0; i < FrameCount; ++i) {
        if (id == ids[i])
            return i + 1;
    }
    return 0;
}

const char* FrameID(int index, std::uint8_t version)
{
    return version == 4 && IDs23[index - 1] == std::string_view("TYER") ? "TDRC" : IDs23[index - 1];
}

bool HasPlainFrameSizes(std::string_view frames)
{
    const FrameWalk synchsafe = WalkFrames(frames, true);
    if (synchsafe.clean)
        return false;
    const FrameWalk plain = WalkFrames(frames, false);
    return plain.clean || plain.frames > synchsafe.frames;
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
    const bool plainSizes = version == 4 && pos < body.size() && HasPlainFrameSizes(std::string_view(body).substr(pos));
    while (pos < body.size() && body.size() - pos >= headerLength && body[pos] >= 'A' && body[pos] <= 'Z') {
        const std::string_view header = std::string_view(body).substr(pos, headerLength);
        const std::size_t declared = version == 2   ? BigEndian(header.substr(3), 3, 8)
                                     : BigEndian(header.substr(4), 4, version == 3 || plainSizes ? 8 : 7);
        const std::size_t size = std::min(declared, body.size() - pos - headerLength);
        Frame frame;
        frame.id = header.substr(0, idLength);
        frame.data = body.substr(pos + headerLength, size);
        if (version == 2) {
            frame.readable = true;
        } else {
            frame.status = static_cast<std::uint8_t>(header[8]);
            frame.format = static_cast<std::uint8_t>(header[9]);
            if (version == 3)
                Unwrap23(frame);
            else
                Unwrap24(frame, tagUnsync);
        }
        // A frame cut short by the tag's end gets the size it really has, so
        // that it cannot swallow what follows it in the new tag; the sizes of
        // 2.4 become synchsafe. The new tag has no tag-wide unsynchronisation,
        // so a 2.4 frame under it says so itself.
        if (version > 2) {
            const std::uint8_t format =
                version == 4 && tagUnsync ? static_cast<std::uint8_t>(header[9] | V4Unsynchronised) : header[9];
            std::string payload = body.substr(pos + headerLength, size);
            if (version == 4 && format == 0)
                payload = SynchsafeSubFrames(frame.id, std::move(payload));
            frame.whole = std::string(header.substr(0, 4)) + SizeBytes(version, payload.size()) + header[8] +
                          static_cast<char>(format) + payload;
        }
        frames.push_back(std::move(frame));
        pos += headerLength + size;
    }
    return frames;
}

std::string MakeFrame(std::uint8_t version, std::string_view id, std::string_view data, std::uint8_t status)
{
    return std::string(id) + SizeBytes(version, data.size()) + static_cast<char>(status) + '\0' + std::string(data);
}

std::string TextFrame(std::uint8_t version, const char* id, std::string_view text)
{
    const char encoding = EncodingFor({std::string(text)});
    return MakeFrame(version, id, encoding + EncodeString(text, encoding));
}

std::string CommentFrame(std::uint8_t version, std::string_view text)
{
    const char encoding = EncodingFor({std::string(text)});
    const std::string description = EncodeString("", encoding) + Terminator(encoding);
    return MakeFrame(version, "COMM", encoding + std::string("eng") + description + EncodeString(text, encoding));
}

std::string LinkFrame(std::uint8_t version, std::string_view url)
{
    // A link is always ISO-8859-1, whatever the description's encoding.
    return MakeFrame(version, "WXXX", std::string(2, '\0') + tagtext::Utf8ToLatin1(url));
}

}  // namespace id3v2
