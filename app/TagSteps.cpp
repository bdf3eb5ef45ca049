// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TagSteps.h"

#include <array>
#include <optional>
#include <string_view>

#include "tags/AlbumArtist.h"
#include "tags/ExtraTagCopy.h"
#include "tags/TagInfo.h"

namespace app {
namespace {

constexpr std::string_view PortableRefused = "\\:*?\"<>|";

std::string SafeForFileName(std::string value, bool portableNames)
{
    for (char& c : value)
        if (c == '/' || c == '\0' || (portableNames && PortableRefused.find(c) != std::string_view::npos))
            c = '_';
    return value;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

enum Placeholder { TrackNum, Album, Artist, Year, Genre, Title, AlbumArtist, Track, Disc, Name, PlaceholderCount };

const std::array<const char*, PlaceholderCount> Placeholders = {
    "%TrackNum%", "%Album%", "%Artist%", "%Year%",  "%Genre%",
    "%Title%",    "%AlbumArtist%", "%Track%", "%Disc%", "%Name%"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// "3/12" gives "3": the number without its total.
std::string NumberPart(const std::string& value) { return TrimBlanks(value.substr(0, value.find('/'))); }

// "5" and "5/12" sort as "05"; "A1" on a vinyl side stays as it is.
std::string TwoDigits(const std::string& value)
{
    const std::string number = NumberPart(value);
    if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
        return number;
    const std::string digits = std::to_string(std::stoi(number));
    return digits.size() < 2 ? "0" + digits : digits;
}

// The input's values; the album artist and the disc read only when a
// placeholder asks.
class PlaceholderValues {
public:
    explicit PlaceholderValues(const std::filesystem::path& input) : input_(input) { ReadTagInfo(input, info_); }

    std::string Value(std::size_t placeholder, bool inFolder)
    {
        switch (placeholder) {
        case TrackNum: return info_.Track;
        case Album: return OrUnknown(info_.Album, inFolder, "Unknown Album");
        case Artist: return OrUnknown(info_.Artist, inFolder, "Unknown Artist");
        case Year: return info_.Year;
        case Genre: return info_.Genre;
        case Title: return info_.Title.empty() ? InputStem(input_) : info_.Title;
        case AlbumArtist: return OrUnknown(Lazy(albumArtist_, "ALBUMARTIST"), inFolder, "Unknown Artist");
        case Track: return TwoDigits(info_.Track);
        case Disc: return NumberPart(Lazy(disc_, "DISCNUMBER"));
        default: return InputStem(input_);
        }
    }

private:
    static std::string OrUnknown(const std::string& value, bool inFolder, const char* unknown)
    {
        return inFolder && TrimBlanks(value).empty() ? unknown : value;
    }

    const std::string& Lazy(std::optional<std::string>& value, const char* key)
    {
        if (!value)
            value = ReadFirstProperty(input_, key);
        return *value;
    }

    std::filesystem::path input_;
    TTAGInfo info_;
    std::optional<std::string> albumArtist_;
    std::optional<std::string> disc_;
};

std::string FillComponent(const std::string& typed, PlaceholderValues& values, bool inFolder, bool portableNames)
{
    std::string component = typed;
    bool filled = false;
    for (std::size_t i = 0; i < Placeholders.size(); ++i) {
        if (component.find(Placeholders[i]) == std::string::npos)
            continue;
        ReplaceAll(component, Placeholders[i], SafeForFileName(values.Value(i, inFolder), portableNames));
        filled = true;
    }
    if (!filled)
        return component;
    component = TrimBlanks(component);
    return component == "." || component == ".." ? "_" : component;
}

}  // namespace

std::string InputStem(const std::filesystem::path& input)
{
    const std::string text = input.string();
    const std::string name = text.substr(text.find_last_of('/') + 1);
    return name.substr(0, name.find_last_of('.'));
}

std::string ApplyTagPlaceholders(const std::string& path, const std::filesystem::path& input, bool portableNames)
{
    PlaceholderValues values(input);
    std::string result;
    std::size_t begin = 0;
    for (std::size_t slash; (slash = path.find('/', begin)) != std::string::npos; begin = slash + 1)
        result += FillComponent(path.substr(begin, slash - begin), values, true, portableNames) + '/';
    return result + FillComponent(path.substr(begin), values, false, portableNames);
}

std::vector<std::string> CopyTags(const std::filesystem::path& input, const std::filesystem::path& output)
{
    TTAGInfo info;
    ReadStoredTagInfo(input, info);
    bool holdsTags = false;
    for (std::size_t i = 0; i < TagFieldNames.size(); ++i)
        holdsTags = holdsTags || TagFieldWritable(output, i);
    // A kind without tags (WAV) is no failure: the values not copied say it.
    // A failed write of a tagged kind is reported; the output stays as encoded.
    if (holdsTags) {
        if (const std::string problem = WriteTagInfo(output, info); !problem.empty())
            throw TagError(problem);
    }
    return extratags::CopyExtraTags(input, output, info);
}

}  // namespace app
