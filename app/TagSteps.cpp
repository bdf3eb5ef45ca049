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

// The input's values, the album artist read only when a placeholder asks.
class PlaceholderValues {
public:
    explicit PlaceholderValues(const std::filesystem::path& input) : input_(input) { ReadTagInfo(input, info_); }

    const std::string& Value(std::size_t placeholder)
    {
        const std::array<const std::string*, 6> fields = {&info_.Track, &info_.Album, &info_.Artist,
                                                          &info_.Year,  &info_.Genre, &info_.Title};
        if (placeholder < fields.size())
            return *fields[placeholder];
        if (!albumArtist_)
            albumArtist_ = ReadAlbumArtist(input_);
        return *albumArtist_;
    }

private:
    std::filesystem::path input_;
    TTAGInfo info_;
    std::optional<std::string> albumArtist_;
};

const std::array<const char*, 7> Placeholders = {"%TrackNum%", "%Album%", "%Artist%", "%Year%",
                                                 "%Genre%",    "%Title%", "%AlbumArtist%"};

std::string FillComponent(const std::string& typed, PlaceholderValues& values, bool portableNames)
{
    std::string component = typed;
    for (std::size_t i = 0; i < Placeholders.size(); ++i)
        if (component.find(Placeholders[i]) != std::string::npos)
            ReplaceAll(component, Placeholders[i], SafeForFileName(values.Value(i), portableNames));
    if (component != typed && (component == "." || component == ".."))
        return "_";
    return component;
}

}  // namespace

std::string ApplyTagPlaceholders(const std::string& path, const std::filesystem::path& input, bool portableNames)
{
    PlaceholderValues values(input);
    std::string result;
    std::size_t begin = 0;
    for (std::size_t slash; (slash = path.find('/', begin)) != std::string::npos; begin = slash + 1)
        result += FillComponent(path.substr(begin, slash - begin), values, portableNames) + '/';
    return result + FillComponent(path.substr(begin), values, portableNames);
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
