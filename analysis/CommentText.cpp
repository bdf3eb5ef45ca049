// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/CommentText.h"

#include "tags/classes/TagText.h"

#include <cstdint>

namespace analysis {
namespace {

bool InRange(unsigned char c, unsigned char low, unsigned char high)
{
    return c >= low && c <= high;
}

// Length of the well-formed UTF-8 sequence at text[at], 0 when malformed
// (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF,
// or a sequence cut by the end of the text).
std::size_t SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead < 0x80)
        return 1;
    if (InRange(lead, 0xC2, 0xDF))
        length = 2;
    else if (InRange(lead, 0xE0, 0xEF)) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (text.size() - at < length || !InRange(byte(1), low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!InRange(byte(i), 0x80, 0xBF))
            return 0;
    return length;
}

}  // namespace

std::string DecodeCommentText(std::string_view bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = SequenceLength(bytes, at);
        if (length == 0)
            break;
        at += length;
    }
    return std::string(bytes.substr(0, at));
}

std::string ReadableCommentText(std::string_view bytes)
{
    return DecodeCommentText(bytes).size() == bytes.size() ? std::string(bytes) : tagtext::Latin1ToUtf8(bytes);
}

std::string EncodeCommentText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = SequenceLength(text, at);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string_view TrimControls(std::string_view text)
{
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isControl(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

}  // namespace analysis
