// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v2Text.h"

#include "tags/classes/TagText.h"

namespace id3v2 {
namespace {

bool IsWide(char encoding)
{
    return encoding == Utf16 || encoding == Utf16BE;
}

// Where the terminator at or after from begins: the first 0, or the first
// 00 00 on a unit boundary; npos when there is none.
std::size_t TerminatorAt(std::string_view data, std::size_t from, char encoding)
{
    if (!IsWide(encoding))
        return data.find('\0', from);
    for (std::size_t i = from; i + 1 < data.size(); i += 2) {
        if (data[i] == 0 && data[i + 1] == 0)
            return i;
    }
    return std::string_view::npos;
}

std::string ToUtf8(std::string_view bytes, char encoding)
{
    switch (encoding) {
    case Utf8:
        return tagtext::BytesToUtf8(bytes);
    case Utf16BE:
    case Utf16: {
        // A byte-order mark overrides the order the encoding names.
        bool bigEndian = encoding == Utf16BE;
        if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
            bigEndian = bytes[0] == '\xFE';
            bytes.remove_prefix(2);
        }
        return tagtext::Utf16ToUtf8(bytes, bigEndian);
    }
    default:
        return tagtext::Latin1ToUtf8(bytes);
    }
}

}  // namespace

bool IsKnownEncoding(char encoding)
{
    return encoding >= Latin1 && encoding <= Utf8;
}

std::string Terminator(char encoding)
{
    return std::string(IsWide(encoding) ? 2 : 1, '\0');
}

std::string ReadString(std::string_view data, std::size_t from, char encoding, std::size_t& next)
{
    if (from >= data.size()) {
        next = data.size();
        return {};
    }
    const std::size_t end = TerminatorAt(data, from, encoding);
    next = end == std::string_view::npos ? data.size() : end + Terminator(encoding).size();
    return ToUtf8(data.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from), encoding);
}

std::vector<std::string> ReadStrings(std::string_view data, std::size_t from, char encoding)
{
    std::vector<std::string> texts;
    while (from < data.size())
        texts.push_back(ReadString(data, from, encoding, from));
    while (!texts.empty() && texts.back().empty())
        texts.pop_back();
    return texts;
}

char EncodingFor(const std::vector<std::string>& texts)
{
    for (const std::string& text : texts) {
        if (!tagtext::FitsLatin1(text))
            return Utf16;
    }
    return Latin1;
}

std::string EncodeString(std::string_view text, char encoding)
{
    return encoding == Utf16 ? std::string("\xFF\xFE") + tagtext::Utf8ToUtf16LE(text) : tagtext::Utf8ToLatin1(text);
}

std::string DecodeText(std::string_view data)
{
    if (data.empty())
        return {};
    std::size_t next = 0;
    return tagtext::Trim(ReadString(data, 1, data[0], next));
}

std::string DecodeTexts(std::string_view data)
{
    if (data.empty())
        return {};
    std::vector<std::string> values = ReadStrings(data, 1, data[0]);
    for (std::string& value : values)
        value = tagtext::Trim(value);
    return tagtext::JoinWithNul(values);
}

std::string DecodeComment(std::string_view data, std::string* description)
{
    if (data.size() < 4)
        return {};
    std::size_t next = 0;
    const std::string said = ReadString(data, 4, data[0], next);
    if (description)
        *description = said;
    return tagtext::Trim(ReadString(data, next, data[0], next));
}

std::string DecodeLink(std::string_view data)
{
    if (data.empty())
        return {};
    std::size_t next = 0;
    ReadString(data, 1, data[0], next);
    // The link itself is always ISO-8859-1.
    return tagtext::Trim(ReadString(data, next, Latin1, next));
}

}  // namespace id3v2
