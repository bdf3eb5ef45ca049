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

// The output's value is the input's cut short, as the record's year is of a
// full date.
bool IsCutShort(const StringList& held, const StringList& full)
{
    return held.size() == 1 && full.size() == 1 && full.front().size() > held.front().size() &&
           full.front().startsWith(held.front());
}

// The output holds the input's values joined by "/", as the record writes
// several values into ID3v2.3.
bool IsJoined(const StringList& held, const StringList& full)
{
    return full.size() > 1 && held.size() == 1 && held.front() == full.toString("/");
}

// The input's value should replace the output's.
bool Supersedes(const PropertyMap& output, const PropertyMap& input, const String& key)
{
    return output.contains(key) && (IsCutShort(output[key], input[key]) || IsJoined(output[key], input[key]));
}

// TagLib reads an ID3v2 time "2021-05-03T10:20:30" with a space for the
// "T"; other kinds store it as ISO 8601 says, the "T" included.
StringList IsoTimes(const StringList& values)
{
    StringList iso;
    for (String value : values) {
        if (value.size() > 11 && value[4] == '-' && value[7] == '-' && value[10] == ' ')
            value[10] = 'T';
        iso.append(value);
    }
    return iso;
}

PropertyMap IsoTimes(PropertyMap values)
{
    for (const char* time : {"DATE", "ORIGINALDATE", "RELEASEDATE", "TAGGINGDATE"})
        if (values.contains(time))
            values.replace(time, IsoTimes(values[time]));
    return values;
}

bool Longer(const PropertyMap& values, const char* key, unsigned length)
{
    if (values.contains(key))
        for (const String& value : values[key])
            if (value.size() > length)
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
    // Times of both sides in one form, so a time the record wrote to the
    // minute shows as the input's cut short.
    PropertyMap merged = IsoTimes(SplitNumbers(output));
    std::set<std::string> added;
    const PropertyMap split = IsoTimes(SplitNumbers(input));
    for (const auto& [key, value] : split) {
        if (IsEncodingValue(key.to8Bit(true)) || !HasValue(split, key) ||
            (HasValue(merged, key) && !Supersedes(merged, split, key)))
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

bool NeedsId3v24(const PropertyMap& values)
{
    // TagLib drops these frames from a 2.3 tag.
    for (const char* key : {"MOOD", "RELEASEDATE", "TAGGINGDATE", "PRODUCEDNOTICE", "DISCSUBTITLE"})
        if (HasValue(values, key))
            return true;
    // Several values of a text frame are NUL-separated in 2.4 only.
    for (const auto& [key, texts] : values)
        if (texts.size() > 1)
            return true;
    // 2.3 says a time to the minute ("2021-05-03T10:20") and an original year.
    return Longer(values, "DATE", 16) || Longer(values, "ORIGINALDATE", 4);
}

}  // namespace extratags
