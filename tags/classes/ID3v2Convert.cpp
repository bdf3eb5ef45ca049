// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v2Convert.h"

#include <cctype>
#include <string_view>
#include <utility>

#include "tags/classes/ID3v2Text.h"

namespace id3v2 {
namespace {

constexpr std::pair<std::string_view, std::string_view> IDs22To23[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
    {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
    {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
    {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
    {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

// Fields of frames that hold encoded text, after the encoding byte:
// 'l' a 3-byte language, 'b' one byte, 'm' a terminated ISO-8859-1 text,
// 's' a terminated encoded text, 'v' encoded texts to the end, 'r' the rest.
constexpr std::pair<std::string_view, std::string_view> TextLayouts[] = {
    {"TXXX", "sv"}, {"COMM", "lsv"}, {"USLT", "lsv"}, {"WXXX", "sr"},
    {"APIC", "mbsr"}, {"GEOB", "mssr"}, {"USER", "lv"},
};

std::string_view TextLayout(std::string_view id)
{
    for (const auto& [frameId, layout] : TextLayouts) {
        if (frameId == id)
            return layout;
    }
    return id.size() == 4 && id[0] == 'T' ? "v" : "";
}

// One field of a frame: raw bytes kept as they are, or texts to encode.
struct Field {
    std::string raw;
    std::vector<std::string> texts;
    bool terminated = false;
};

// False when the data is too short for its fixed fields.
bool SplitFields(std::string_view data, std::string_view layout, std::vector<Field>& fields)
{
    const char encoding = data[0];
    std::size_t pos = 1;
    for (const char kind : layout) {
        Field field;
        if (kind == 'l' || kind == 'b') {
            const std::size_t length = kind == 'l' ? 3 : 1;
            if (data.size() - pos < length)
                return false;
            field.raw = data.substr(pos, length);
            pos += length;
        } else if (kind == 'm') {
            const std::size_t start = pos;
            ReadString(data, start, Latin1, pos);
            field.raw = data.substr(start, pos - start);
        } else if (kind == 's') {
            field.texts.push_back(ReadString(data, pos, encoding, pos));
            field.terminated = true;
        } else if (kind == 'v') {
            field.texts = ReadStrings(data, pos, encoding);
            pos = data.size();
        } else {
            field.raw = data.substr(pos);
            pos = data.size();
        }
        fields.push_back(std::move(field));
    }
    return true;
}

// Text of a version 2.4 frame in an encoding 2.3 knows; several values
// stay apart as they were, each reader taking them as it always does.
std::string ReencodedData(std::string_view id, const std::string& data)
{
    const std::string_view layout = TextLayout(id);
    std::vector<Field> fields;
    if (layout.empty() || data.empty() || (data[0] != Utf16BE && data[0] != Utf8) ||
        !SplitFields(data, layout, fields))
        return data;
    std::vector<std::string> texts;
    for (const Field& field : fields)
        texts.insert(texts.end(), field.texts.begin(), field.texts.end());
    const char encoding = EncodingFor(texts);
    std::string out(1, encoding);
    for (const Field& field : fields) {
        out += field.raw;
        for (std::size_t i = 0; i < field.texts.size(); ++i) {
            const bool last = i + 1 == field.texts.size();
            out += EncodeString(field.texts[i], encoding) + (field.terminated || !last ? Terminator(encoding) : "");
        }
    }
    return out;
}

std::string TextOnly(std::string_view text)
{
    return std::string(1, Latin1) + std::string(text);
}

bool Digits(std::string_view text, std::size_t from, std::size_t count)
{
    if (text.size() < from + count)
        return false;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

// A recording time "yyyy-MM-ddTHH:mm" as the year, date and time frames.
std::string DateFrames(const std::string& data)
{
    const std::string time = DecodeText(data);
    if (!Digits(time, 0, 4))
        return {};
    std::string frames = Frame23("TYER", TextOnly(time.substr(0, 4)));
    if (Digits(time, 5, 2) && Digits(time, 8, 2))
        frames += Frame23("TDAT", TextOnly(time.substr(8, 2) + time.substr(5, 2)));
    if (time.size() >= 16 && Digits(time, 11, 2) && Digits(time, 14, 2))
        frames += Frame23("TIME", TextOnly(time.substr(11, 2) + time.substr(14, 2)));
    return frames;
}

std::string MimeType(std::string_view format)
{
    std::string lower;
    for (const char c : format)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "jpg")
        return "image/jpeg";
    if (lower == "-->")
        return lower;
    return "image/" + lower;
}

std::string FromV24(const Frame& frame)
{
    if (!frame.readable)
        return {};
    if (frame.id == "TDRC")
        return DateFrames(frame.data);
    if (frame.id == "TDOR") {
        const std::string time = DecodeText(frame.data);
        return Digits(time, 0, 4) ? Frame23("TORY", TextOnly(time.substr(0, 4))) : std::string();
    }
    // Status flags move one bit up from 2.4 to 2.3.
    const auto status = static_cast<std::uint8_t>((frame.status << 1) & 0xE0);
    return Frame23(frame.id, ReencodedData(frame.id, frame.data), status);
}

std::string FromV22(const Frame& frame)
{
    for (const auto& [id22, id23] : IDs22To23) {
        if (frame.id != id22)
            continue;
        if (id22 != "PIC")
            return Frame23(id23, frame.data);
        // The picture's 3-letter image format becomes a MIME type.
        if (frame.data.size() < 5)
            return {};
        return Frame23(id23, frame.data.substr(0, 1) + MimeType(std::string_view(frame.data).substr(1, 3)) + '\0' +
                                 frame.data.substr(4));
    }
    return {};
}

}  // namespace

std::string ToV23(const Frame& frame, std::uint8_t version)
{
    if (version == 2)
        return FromV22(frame);
    if (version == 3)
        return frame.whole;
    return FromV24(frame);
}

}  // namespace id3v2
