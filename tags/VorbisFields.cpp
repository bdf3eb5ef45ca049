// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/VorbisFields.h"

#include <algorithm>
#include <array>
#include <optional>

#include "analysis/CommentText.h"
#include "analysis/VorbisComments.h"

using namespace analysis;

namespace vorbisfields {
namespace {

// By record index: the comment names of a field, the one written first;
// the others are read when it is absent and written in its stead then.
const std::array<std::vector<std::string_view>, 12> FieldNames = {{
    {"TRACKNUMBER"},
    {"TITLE"},
    {"ARTIST", "PERFORMER"},
    {"ALBUM"},
    {"DATE"},
    {"COMMENT", "DESCRIPTION"},
    {"GENRE"},
    {"COMPOSER"},
    {"ENCODER", "ENCODEDBY", "ENCODED-BY"},
    {"COPYRIGHT"},
    {"LANGUAGE"},
    {"URL", "WEBSITE"},
}};
constexpr std::size_t TrackIndex = 0;
constexpr std::size_t EncodedByIndex = 8;
constexpr std::array<std::string_view, 2> TotalNames = {"TRACKTOTAL", "TOTALTRACKS"};

std::optional<std::string> NameOf(const std::string& item)
{
    const auto split = SplitCommentItem(item);
    return split ? std::optional(split->name) : std::nullopt;
}

std::vector<std::string> ValuesNamed(const std::vector<std::string>& items, std::string_view name)
{
    std::vector<std::string> values;
    for (const std::string& item : items)
        if (NameOf(item) == name)
            values.push_back(ReadableCommentText(std::string_view(item).substr(item.find('=') + 1)));
    std::erase_if(values, [](const std::string& value) { return value.empty(); });
    return values;
}

// The name a field's values are read from and written back to.
std::string_view SourceName(const std::vector<std::string>& items, std::size_t index)
{
    for (const std::string_view name : FieldNames[index])
        if (!ValuesNamed(items, name).empty())
            return name;
    return FieldNames[index].front();
}

std::string TrackText(const std::vector<std::string>& items)
{
    const std::vector<std::string> numbers = ValuesNamed(items, FieldNames[TrackIndex].front());
    if (numbers.empty())
        return {};
    if (numbers.front().find('/') != std::string::npos)
        return numbers.front();
    for (const std::string_view name : TotalNames)
        if (const auto totals = ValuesNamed(items, name); !totals.empty())
            return numbers.front() + "/" + totals.front();
    return numbers.front();
}

// Removes the comments of the names; where the first one was, or the end.
std::size_t RemoveNamed(std::vector<std::string>& items, const std::vector<std::string_view>& names)
{
    std::size_t place = items.size();
    for (std::size_t i = items.size(); i-- > 0;) {
        const auto name = NameOf(items[i]);
        if (name && std::find(names.begin(), names.end(), *name) != names.end()) {
            items.erase(items.begin() + std::ptrdiff_t(i));
            place = i;
        }
    }
    return std::min(place, items.size());
}

void Insert(std::vector<std::string>& items, std::size_t place, std::string_view name,
            const std::vector<std::string>& values)
{
    std::vector<std::string> added;
    for (const std::string& value : values)
        added.push_back(JoinCommentItem(name, value));
    items.insert(items.begin() + std::ptrdiff_t(place), added.begin(), added.end());
}

void WriteTrack(std::vector<std::string>& items, const std::string& track)
{
    std::vector<std::string_view> names(TotalNames.begin(), TotalNames.end());
    names.push_back(FieldNames[TrackIndex].front());
    const std::size_t place = RemoveNamed(items, names);
    const std::size_t slash = track.find('/');
    const std::string total = slash == std::string::npos ? std::string() : track.substr(slash + 1);
    if (!total.empty())
        Insert(items, place, TotalNames.front(), {total});
    const std::string number = track.substr(0, slash);
    if (!number.empty())
        Insert(items, place, FieldNames[TrackIndex].front(), {number});
}

}  // namespace

void ReadFields(const std::vector<std::string>& items, TTAGInfo& info)
{
    SetTagValues(info, TrackIndex, {TrackText(items)});
    for (std::size_t i = TrackIndex + 1; i < FieldNames.size(); ++i)
        SetTagValues(info, i, ValuesNamed(items, SourceName(items, i)));
}

void ReadStoredFields(const std::vector<std::string>& items, TTAGInfo& info)
{
    ReadFields(items, info);
    if (SourceName(items, EncodedByIndex) == FieldNames[EncodedByIndex].front())
        SetTagValues(info, EncodedByIndex, {});
}

std::vector<std::string> EditedItems(const std::vector<std::string>& items, const TTagEdit& edit)
{
    std::vector<std::string> edited = items;
    for (std::size_t i = 0; i < FieldNames.size(); ++i) {
        if (!edit.Changed(TagFields[i]))
            continue;
        if (i == TrackIndex) {
            WriteTrack(edited, edit.values.Track);
            continue;
        }
        const std::string_view name = SourceName(items, i);
        Insert(edited, RemoveNamed(edited, {name}), name, TagValues(edit.values, i));
    }
    return edited;
}

}  // namespace vorbisfields
