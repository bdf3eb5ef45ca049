#include "app/TagSteps.h"

#include <array>
#include <utility>

#include "tags/ExtraTagCopy.h"
#include "tags/TagInfo.h"

namespace app {
namespace {

std::string SafeForFileName(std::string value)
{
    for (char& c : value)
        if (c == '/' || c == '\0')
            c = '_';
    return value;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

}  // namespace

std::string ApplyTagPlaceholders(const std::string& path, const std::filesystem::path& input)
{
    TTAGInfo info;
    ReadTagInfo(input, info);
    const std::array<std::pair<const char*, const std::string*>, 5> placeholders = {{
        {"%TrackNum%", &info.Track},
        {"%Album%", &info.Album},
        {"%Artist%", &info.Artist},
        {"%Year%", &info.Year},
        {"%Genre%", &info.Genre},
    }};
    std::string result = path;
    for (const auto& [placeholder, value] : placeholders)
        ReplaceAll(result, placeholder, SafeForFileName(*value));
    return result;
}

std::vector<std::string> CopyTags(const std::filesystem::path& input, const std::filesystem::path& output)
{
    TTAGInfo info;
    ReadTagInfo(input, info);
    // The run reports a failed record write; the output stays as encoded.
    if (const std::string problem = WriteTagInfo(output, info); !problem.empty())
        throw TagError(problem);
    return extratags::CopyExtraTags(input, output);
}

}  // namespace app
