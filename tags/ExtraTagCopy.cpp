// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ExtraTagCopy.h"

#include <array>

#include "platform/SafeRewrite.h"
#include "tags/ExtraTagValues.h"
#include "tags/StoredNames.h"
#include "tags/InputTags.h"
#include "tags/OutputTags.h"
#include "tags/TagInfo.h"

namespace fs = std::filesystem;

namespace extratags {
namespace {

// Values of the unified record, in the order of its fields, whose writers
// decide where they go.
constexpr std::array<const char*, TagFieldNames.size()> RecordKeys = {
    "TRACKNUMBER", "TITLE", "ARTIST", "ALBUM", "DATE", "COMMENT", "GENRE", "COMPOSER", "ENCODEDBY", "COPYRIGHT",
    "LANGUAGE", "URL"};

bool RecordWrites(const fs::path& output, const std::string& key, const TTAGInfo& record)
{
    // The record's track text carries the total ("3/12") where the input has one.
    if (key == "TRACKTOTAL")
        return record.Track.find('/') != std::string::npos && TagFieldWritable(output, 0);
    for (std::size_t i = 0; i < RecordKeys.size(); ++i)
        if (key == RecordKeys[i])
            return TagFieldWritable(output, i);
    return false;
}

void AddPictureLosses(const std::vector<TagPicture>& pictures, std::vector<std::string>& lost)
{
    for (const TagPicture& picture : pictures)
        lost.push_back(PictureLoss(picture));
}

// Everything the record does not write, for an output that takes none of it.
void AddAllLosses(const InputTags& input, const fs::path& output, const TTAGInfo& record,
                  std::vector<std::string>& lost)
{
    for (const auto& [key, values] : SplitNumbers(input.values))
        if (const std::string name = key.to8Bit(true); !RecordWrites(output, name, record) && !IsEncodingValue(name))
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

std::vector<std::string> CopyExtraTags(const fs::path& input, const fs::path& output, const TTAGInfo& record)
{
    const InputTags source = ReadInputTags(input);
    std::vector<std::string> lost;
    if (!HoldsExtraTags(output)) {
        AddAllLosses(source, output, record, lost);
    } else if (source.values.isEmpty() && source.pictures.empty()) {
        // Nothing to copy: the output is not rewritten.
    } else {
        // Stays true unless the output turns out to need no change: a copy
        // that cannot be made, opened or saved loses everything.
        bool failed = true;
        const StoredNames names = ReadStoredNames(input);
        const bool written = platform::EditThroughCopy(output, [&](int copy) {
            // TagLib opens the copy by the name of the descriptor: the same file.
            const fs::path copyName = "/proc/self/fd/" + std::to_string(copy);
            auto tags = OpenOutputTags(copyName, output);
            if (!tags)
                return false;
            std::vector<std::string> losses;
            if (!Fill(*tags, source, losses)) {
                failed = false;
                return false;
            }
            // The saved copy is opened again to give the names their case back.
            const bool saved = tags->Save();
            tags.reset();
            if (!saved || !RestoreStoredNames(copyName, output, names))
                return false;
            lost = std::move(losses);
            return true;
        },
            // The rewritten copy must still open as its kind.
            [&](const fs::path& copy) { return OpenOutputTags(copy, output) != nullptr; });
        if (!written && failed)
            AddAllLosses(source, output, record, lost);
    }
    lost.insert(lost.end(), source.unreadable.begin(), source.unreadable.end());
    return lost;
}

}  // namespace extratags
