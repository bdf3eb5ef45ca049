// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ProgressParser.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/FormatTable.h"

namespace engine {

namespace {

// A decimal number in the user's locale, surrounding spaces ignored; the
// C form is accepted too, since not every program follows the locale.
// Anything else reads as 0.
double ReadNumber(std::string_view text)
{
    const QString number = QString::fromUtf8(text.data(), qsizetype(text.size())).trimmed();
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = locale.toDouble(number, &ok);
    if (!ok)
        value = QLocale::c().toDouble(number, &ok);
    return ok ? value : 0.0;
}

// v / 100 × 50 + 50, truncated; v is held to 0..100 so that garbage output
// never drives the progress past its range.
std::int32_t PercentOf(double value)
{
    const double held = std::clamp(value, 0.0, 100.0);
    return std::int32_t(std::trunc(held / 2.0)) + 50;
}

std::int32_t ParseMpc(std::string_view chunk, std::int32_t percent)
{
    const std::size_t gap = chunk.find("  ");
    const double value = ReadNumber(gap == std::string_view::npos ? std::string_view() : chunk.substr(0, gap + 1));
    return value == 0.0 ? percent : PercentOf(value);
}

std::int32_t ParseOfr(std::string_view chunk, std::int32_t percent)
{
    constexpr std::size_t prefix = 11;  // "Compressing"
    if (chunk.find("Compressing") == std::string_view::npos || chunk.empty() || chunk.back() != '%')
        return percent;
    const std::string_view rest = chunk.size() > prefix ? chunk.substr(prefix, chunk.size() - prefix - 1) : std::string_view();
    const double value = ReadNumber(rest);
    return value == 0.0 ? percent : PercentOf(value);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of a match at `at` of the pattern "(\d+)%", or with tenths of
// "(\d+).(\d)%" ("." any character but a line end); 0 when none. Like a
// regular expression search, the digit run gives back digits if only that
// lets the rest match.
std::size_t MatchAt(std::string_view text, std::size_t at, bool tenths)
{
    std::size_t run = 0;
    while (at + run < text.size() && IsDigit(text[at + run]))
        ++run;
    if (run == 0)
        return 0;
    if (!tenths)
        return at + run < text.size() && text[at + run] == '%' ? run + 1 : 0;
    for (std::size_t digits = run; digits > 0; --digits) {
        const std::size_t any = at + digits;
        if (any + 2 < text.size() && text[any] != '\n' && text[any] != '\r' && IsDigit(text[any + 1]) &&
            text[any + 2] == '%')
            return digits + 3;
    }
    return 0;
}

// Every match in turn, the last one deciding; its text less the final "%"
// is the number.
std::int32_t ParsePattern(bool tenths, std::string_view chunk, std::int32_t percent)
{
    std::size_t at = 0;
    while (at < chunk.size()) {
        const std::size_t length = MatchAt(chunk, at, tenths);
        if (length == 0) {
            ++at;
            continue;
        }
        percent = PercentOf(ReadNumber(chunk.substr(at, length - 1)));
        at += length;
    }
    return percent;
}

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
}

}  // namespace

std::size_t ProgressReadSize(std::uint8_t formatIndex)
{
    return Row(formatIndex).progressReadSize;
}

std::string_view TrimChunk(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    while (!bytes.empty() && IsTrimmed(bytes.front()))
        bytes.remove_prefix(1);
    while (!bytes.empty() && IsTrimmed(bytes.back()))
        bytes.remove_suffix(1);
    return bytes;
}

std::int32_t ParseProgress(std::uint8_t formatIndex, std::string_view chunk, std::int32_t percent)
{
    if (chunk.empty())
        return percent;
    switch (Row(formatIndex).progress) {
    case ProgressStyle::LeadingNumber:
        return ParseMpc(chunk, percent);
    case ProgressStyle::Compressing:
        return ParseOfr(chunk, percent);
    case ProgressStyle::PercentTenths:
        return ParsePattern(true, chunk, percent);
    case ProgressStyle::Percent:
        break;
    }
    return ParsePattern(false, chunk, percent);
}

}  // namespace engine
