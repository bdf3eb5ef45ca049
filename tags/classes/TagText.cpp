// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/TagText.h"

#include <algorithm>

namespace tagtext {
namespace {

constexpr char32_t Replacement = 0xFFFD;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed sequence at pos, 0 when there is none.
std::size_t SequenceLength(std::string_view s, std::size_t pos, char32_t& code)
{
    const auto lead = static_cast<unsigned char>(s[pos]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + i]);
        if (!IsContinuation(c))
            return 0;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// The character at pos; a malformed byte counts as one replacement character.
char32_t Next(std::string_view s, std::size_t& pos)
{
    char32_t code = 0;
    const std::size_t length = SequenceLength(s, pos, code);
    pos += length ? length : 1;
    return length ? code : Replacement;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUnitLE(std::string& out, unsigned unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

std::string TrimRight(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin]))
        ++begin;
    return TrimRight(text.substr(begin));
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string Utf8ToLatin1(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t code = Next(text, pos);
        out += code <= 0xFF ? static_cast<char>(code) : '?';
    }
    return out;
}

bool FitsLatin1(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (Next(text, pos) > 0xFF)
            return false;
    }
    return true;
}

bool IsValidUtf8(std::string_view bytes)
{
    char32_t code = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = SequenceLength(bytes, pos, code);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string BytesToUtf8(std::string_view bytes)
{
    return IsValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    const auto unitAt = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? Replacement : unit);
    }
    return out;
}

std::string Utf8ToUtf16LE(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t code = Next(text, pos);
        if (code < 0x10000) {
            AppendUnitLE(out, code);
        } else {
            AppendUnitLE(out, 0xD800 + ((code - 0x10000) >> 10));
            AppendUnitLE(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        Next(text, pos);
    return count;
}

std::string FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i)
        Next(text, pos);
    return std::string(text.substr(0, pos));
}

std::vector<std::string> SplitAtNul(std::string_view joined)
{
    std::vector<std::string> values;
    for (std::size_t from = 0; from <= joined.size();) {
        const std::size_t end = std::min(joined.find('\0', from), joined.size());
        if (end > from)
            values.emplace_back(joined.substr(from, end - from));
        from = end + 1;
    }
    return values;
}

std::string JoinWithNul(const std::vector<std::string>& values)
{
    std::string joined;
    for (const std::string& value : values) {
        if (value.empty())
            continue;
        if (!joined.empty())
            joined += '\0';
        joined += value;
    }
    return joined;
}

}  // namespace tagtext
