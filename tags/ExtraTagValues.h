// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Merging an input's tag values into its converted file, as TagLib property
// maps (upper-case keys such as ALBUMARTIST, TRACKNUMBER, LYRICS).

#include <set>
#include <string>

#include <taglib/tpropertymap.h>

namespace extratags {

// How a tag kind holds track and disc totals: "3/12" in the number, or a
// TRACKTOTAL / DISCTOTAL value of its own.
struct NumberStyle {
    bool combinedTrack = false;
    bool combinedDisc = false;
};

// Values that describe how the input itself was encoded; they are wrong for
// any other file, so they are neither copied nor reported.
bool IsEncodingValue(const std::string& key);

// TRACKNUMBER "3/12" becomes TRACKNUMBER "3" and TRACKTOTAL "12", DISCNUMBER
// alike; TOTALTRACKS and TOTALDISCS are taken as the totals.
TagLib::PropertyMap SplitNumbers(const TagLib::PropertyMap& values);
// Puts the totals back into the numbers where the style combines them.
TagLib::PropertyMap JoinNumbers(const TagLib::PropertyMap& values, NumberStyle style);

struct MergedValues {
    TagLib::PropertyMap values;  // in the output's numbering style
    std::set<std::string> added;  // keys of values that come from the input
};

// The output's values stay as they are; the input's fill every key the
// output has no value for, and replace a value the output holds cut short
// (a date the record wrote as its year) or joined (several values the
// record wrote into ID3v2.3 with "/"). Encoding values of the input are
// left out.
MergedValues FillMissing(const TagLib::PropertyMap& output, const TagLib::PropertyMap& input, NumberStyle style);

// True when an ID3v2.3 tag cannot hold the values whole: frames only 2.4
// has (mood, release time, ...), several values of one frame, a recording
// time with seconds, an original date beyond its year.
bool NeedsId3v24(const TagLib::PropertyMap& values);

}  // namespace extratags
