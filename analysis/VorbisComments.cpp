// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/VorbisComments.h"

#include "analysis/CommentText.h"

#include <utility>

namespace analysis {
namespace {

// Reads one length-prefixed string at at; false when it does not fit.
bool ReadString(std::span<const std::uint8_t> data, std::size_t& at, std::string& out)
{
    if (data.size() - at < 4)
        return false;
    const std::uint32_t length = ReadLE32(data.data() + at);
    if (data.size() - at - 4 < length)
        return false;
    const auto* begin = reinterpret_cast<const char*>(data.data() + at + 4);
    out.assign(begin, length);
    at += 4 + std::size_t(length);
    return true;
}

}  // namespace

VorbisCommentList ParseVorbisComments(std::span<const std::uint8_t> data)
{
    VorbisCommentList list;
    std::size_t at = 0;
    if (!ReadString(data, at, list.vendor) || data.size() - at < 4)
        return list;
    std::uint32_t count = ReadLE32(data.data() + at);
    at += 4;
    list.end = at;
    for (; count > 0; --count) {
        std::string item;
        if (!ReadString(data, at, item))
            return list;
        list.items.push_back(std::move(item));
        list.end = at;
    }
    list.complete = true;
    return list;
}

Bytes BuildVorbisComments(const std::string& vendor, const std::vector<std::string>& items)
{
    Bytes out;
    AppendLE32(out, std::uint32_t(vendor.size()));
    AppendText(out, vendor);
    AppendLE32(out, std::uint32_t(items.size()));
    for (const std::string& item : items) {
        AppendLE32(out, std::uint32_t(item.size()));
        AppendText(out, item);
    }
    return out;
}

std::optional<CommentItem> SplitCommentItem(std::string_view item)
{
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return std::nullopt;
    return CommentItem{UpperAscii(item.substr(0, equals)), DecodeCommentText(item.substr(equals + 1))};
}

std::string_view FallbackCommentName(std::string_view name)
{
    constexpr std::pair<std::string_view, std::string_view> fallbacks[] = {
        {"COMMENT", "DESCRIPTION"}, {"ENCODER", "ENCODED-BY"}, {"URL", "WEBSITE"}};
    for (const auto& [own, other] : fallbacks)
        if (name == own)
            return other;
    return {};
}

std::string JoinCommentItem(std::string_view name, std::string_view value)
{
    std::string item(name);
    item += '=';
    item += EncodeCommentText(value);
    return item;
}

}  // namespace analysis
