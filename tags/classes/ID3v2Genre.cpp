// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2Frames.h"
#include "tags/classes/TagBytes.h"
#include "tags/classes/TagText.h"

namespace id3v2 {
namespace {

// The name a genre reference stands for: an ID3v1 genre number, "RX" or "CR".
std::string ReferenceName(std::string_view reference)
{
    if (reference == "RX")
        return "Remix";
    if (reference == "CR")
        return "Cover";
    std::uint64_t number = 0;
    if (!reference.empty() && tagbytes::ParseDigits(reference, number) && number < GenreCount)
        return GenreNames[number];
    return {};
}

}  // namespace

std::string GenreName(std::string_view text)
{
    const std::string trimmed = tagtext::Trim(text);
    std::string_view rest = trimmed;
    if (const std::string bare = ReferenceName(rest); !bare.empty())
        return bare;
    std::string first;
    bool referenced = false;
    // "(" opens a reference unless doubled: "((" escapes a text that starts with "(".
    while (rest.size() > 1 && rest[0] == '(' && rest[1] != '(') {
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos)
            break;
        if (!referenced)
            first = ReferenceName(rest.substr(1, close - 1));
        referenced = true;
        rest.remove_prefix(close + 1);
    }
    if (rest.size() > 1 && rest[0] == '(' && rest[1] == '(')
        rest.remove_prefix(1);
    const std::string refinement = tagtext::Trim(rest);
    return refinement.empty() ? first : refinement;
}

}  // namespace id3v2
