// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ExtraTagCopy.h"

#include <array>

#include "platform/SafeRewrite.h"
#include "tags/ExtraTagValues.h"
#include "tags/InputTags.h"
#include "tags/OutputTags.h"

namespace fs = std::filesystem;

namespace extratags {
namespace {

// Values of the unified record, whose writers decide where they go.
bool IsRecordValue(const std::string& key)
{
    static const std::array<const char*, 11> keys = {"TRACKNUMBER", "TITLE",     "ARTIST",   "ALBUM",
                                                     "DATE",        "COMMENT",   "GENRE",    "COMPOSER",
                                                     "COPYRIGHT",   "LANGUAGE",  "URL"};
    for (const char* record : keys)
        if (key == record)
            return true;
    return false;
}

void AddPictureLosses(const std::vector<TagPicture>& pictures, std::vector<std::string>& lost)
{
    for (const TagPicture& picture : pictures)
        lost.push_back(PictureLoss(picture));
}

// Everything beyond the record, for an output that takes none of it.
void AddAllLosses(const InputTags& input, std::vector<std::string>& lost)
{
    for (const auto& [key, values] : SplitNumbers(input.values))
        if (const std::string name = key.to8Bit(true); !IsRecordValue(name) && !IsEncodingValue(name))
            lost.push_back(name);
    AddPictureLosses(input.pictures, lost);
}

// Fills the opened output; returns false when there is nothing to write.
bool Fill(OutputTags& output, const InputTags& input, std::vector<std::string>& lost)
{
    const MergedValues merged = FillMissing(output.Values(), input.values, output.Numbering());
    if (merged.added.empty() && input.pictures.empty())
        return false;
    for (const auto& [key, values] : output.SetValues(merged.values))
        if (merged.added.count(key.to8Bit(true)))
            lost.push_back(key.to8Bit(true));
    for (std::string& picture : output.SetPictures(input.pictures))
        lost.push_back(std::move(picture));
    return true;
}

}  // namespace

std::vector<std::string> CopyExtraTags(const fs::path& input, const fs::path& output)
{
    const InputTags source = ReadInputTags(input);
    std::vector<std::string> lost;
    if (!HoldsExtraTags(output)) {
        AddAllLosses(source, lost);
    } else if (source.values.isEmpty() && source.pictures.empty()) {
        // Nothing to copy: the output is not rewritten.
    } else {
        // Stays true unless the output turns out to need no change: a copy
        // that cannot be made, opened or saved loses everything.
        bool failed = true;
        const bool written = platform::EditThroughCopy(output, [&](int copy) {
            // TagLib opens the copy by the name of the descriptor: the same file.
            const auto tags = OpenOutputTags("/proc/self/fd/" + std::to_string(copy), output);
            if (!tags)
                return false;
            std::vector<std::string> losses;
            if (!Fill(*tags, source, losses)) {
                failed = false;
                return false;
            }
            if (!tags->Save())
                return false;
            lost = std::move(losses);
            return true;
        },
            // The rewritten copy must still open as its kind.
            [&](const fs::path& copy) { return OpenOutputTags(copy, output) != nullptr; });
        if (!written && failed)
            AddAllLosses(source, lost);
    }
    lost.insert(lost.end(), source.unreadable.begin(), source.unreadable.end());
    return lost;
}

}  // namespace extratags
