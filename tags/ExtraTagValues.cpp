// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ExtraTagValues.h"

#include <array>

namespace extratags {
namespace {

using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;

struct Numbering {
    const char* number;
    const char* total;
    const char* otherTotal;
};

constexpr std::array<Numbering, 2> Numberings = {{
    {"TRACKNUMBER", "TRACKTOTAL", "TOTALTRACKS"},
    {"DISCNUMBER", "DISCTOTAL", "TOTALDISCS"},
}};

bool HasValue(const PropertyMap& values, const String& key)
{
    if (!values.contains(key))
        return false;
    for (const String& value : values[key])
        if (!value.stripWhiteSpace().isEmpty() && !(value == "0" && (key == "TRACKNUMBER" || key == "DISCNUMBER")))
            return true;
    return false;
}

void SplitOne(PropertyMap& values, const Numbering& numbering)
{
    if (HasValue(values, numbering.otherTotal) && !HasValue(values, numbering.total))
        values.replace(numbering.total, values[numbering.otherTotal]);
    values.erase(numbering.otherTotal);
    if (!values.contains(numbering.number))
        return;
    const String number = values[numbering.number].front();
    const int slash = number.find("/");
    if (slash < 0)
        return;
    const String total = number.substr(unsigned(slash) + 1).stripWhiteSpace();
    values.replace(numbering.number, StringList(number.substr(0, unsigned(slash)).stripWhiteSpace()));
    if (!total.isEmpty() && !HasValue(values, numbering.total))
        values.replace(numbering.total, StringList(total));
}

// A total without a number stays a value of its own: "/12" helps no reader.
void JoinOne(PropertyMap& values, const Numbering& numbering)
{
    if (!HasValue(values, numbering.number) || !HasValue(values, numbering.total))
        return;
    const String joined = values[numbering.number].front() + "/" + values[numbering.total].front();
    values.replace(numbering.number, StringList(joined));
    values.erase(numbering.total);
}

}  // namespace

bool IsEncodingValue(const std::string& key)
{
    static const std::array<const char*, 13> keys = {
        "ENCODER",  "ENCODEDBY",     "ENCODING",         "ENCODERSETTINGS", "ENCODER_OPTIONS",
        "LENGTH",   "ITUNSMPB",      "ITUNNORM",         "ISVBR",           "WMFSDKVERSION",
        "WMFSDKNEEDED", "ENCODINGSETTINGS", "ENCODINGTIME"};
    // Also as the part after an owner: "COMMENT:ITUNSMPB", "WM/ENCODINGSETTINGS".
    const std::size_t cut = key.find_last_of(":/");
    const String upper = String(cut == std::string::npos ? key : key.substr(cut + 1), String::UTF8).upper();
    for (const char* encoding : keys)
        if (upper == encoding)
            return true;
    return false;
}

PropertyMap SplitNumbers(const PropertyMap& values)
{
    PropertyMap split = values;
    for (const Numbering& numbering : Numberings)
        SplitOne(split, numbering);
    return split;
}

PropertyMap JoinNumbers(const PropertyMap& values, NumberStyle style)
{
    PropertyMap joined = values;
    if (style.combinedTrack)
        JoinOne(joined, Numberings[0]);
    if (style.combinedDisc)
        JoinOne(joined, Numberings[1]);
    return joined;
}

MergedValues FillMissing(const PropertyMap& output, const PropertyMap& input, NumberStyle style)
{
    PropertyMap merged = SplitNumbers(output);
    std::set<std::string> added;
    const PropertyMap split = SplitNumbers(input);
    for (const auto& [key, value] : split) {
        if (IsEncodingValue(key.to8Bit(true)) || HasValue(merged, key) || !HasValue(split, key))
            continue;
        merged.replace(key, value);
        added.insert(key.to8Bit(true));
    }
    MergedValues result{JoinNumbers(merged, style), {}};
    for (const std::string& key : added) {
        const bool intoTrack = key == "TRACKTOTAL" && style.combinedTrack && HasValue(result.values, "TRACKNUMBER");
        const bool intoDisc = key == "DISCTOTAL" && style.combinedDisc && HasValue(result.values, "DISCNUMBER");
        result.added.insert(intoTrack ? "TRACKNUMBER" : intoDisc ? "DISCNUMBER" : key);
    }
    return result;
}

}  // namespace extratags
