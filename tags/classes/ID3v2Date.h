// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A recording time in ID3v2.3, which keeps it in three frames: TYER the
// year, TDAT the day and month ("DDMM"), TIME the hour and minute ("HHMM").
// Version 2.4 keeps it whole in TDRC ("2021-05-03T10:20:30").

#include <string>
#include <string_view>

namespace id3v2 {

// "2021-05-03", or "2021-05-03T10:20" with a time; the year alone when the
// day is missing or malformed, the date alone when the time is.
std::string JoinedDate(const std::string& year, std::string_view dayMonth, std::string_view time);

// The ID3v2.3 frames of a date: TYER, then TDAT and TIME where the date
// has them. A text that is not such a date goes whole into TYER.
std::string DateFrames23(std::string_view date);

}  // namespace id3v2
