// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v2Date.h"

#include <algorithm>
#include <cctype>

#include "tags/classes/ID3v2Frames.h"

namespace id3v2 {
namespace {

bool Digits(std::string_view text, std::size_t count)
{
    return text.size() == count &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// True when text[at] is the separator and two digits follow it.
bool PairAfter(std::string_view text, std::size_t at, char separator)
{
    return text.size() >= at + 3 && text[at] == separator && Digits(text.substr(at + 1, 2), 2);
}

}  // namespace

std::string JoinedDate(const std::string& year, std::string_view dayMonth, std::string_view time)
{
    if (!Digits(year, 4) || !Digits(dayMonth, 4))
        return year;
    std::string date = year + "-" + std::string(dayMonth.substr(2, 2)) + "-" + std::string(dayMonth.substr(0, 2));
    if (Digits(time, 4))
        date += "T" + std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2, 2));
    return date;
}

std::string DateFrames23(std::string_view date)
{
    const bool hasDay = Digits(date.substr(0, 4), 4) && PairAfter(date, 4, '-') && PairAfter(date, 7, '-');
    if (!hasDay)
        return TextFrame(3, "TYER", date);
    std::string frames = TextFrame(3, "TYER", date.substr(0, 4)) +
                         TextFrame(3, "TDAT", std::string(date.substr(8, 2)) + std::string(date.substr(5, 2)));
    if (PairAfter(date, 10, 'T') && PairAfter(date, 13, ':'))
        frames += TextFrame(3, "TIME", std::string(date.substr(11, 2)) + std::string(date.substr(14, 2)));
    return frames;
}

}  // namespace id3v2
