// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/EditableExtras.h"

#include <algorithm>
#include <memory>

#include "platform/SafeRewrite.h"
#include "tags/ExtraTagValues.h"
#include "tags/InputTags.h"
#include "tags/OutputTags.h"
#include "tags/StoredNames.h"

namespace fs = std::filesystem;

namespace extratags {
namespace {

using TagLib::PropertyMap;
using TagLib::String;

std::string First(const PropertyMap& values, const char* key)
{
    const auto found = values.find(key);
    if (found == values.end() || found->second.isEmpty())
        return {};
    return found->second.front().to8Bit(true);
}

// An empty value removes the key.
void Put(PropertyMap& values, const char* key, const std::string& value)
{
    if (value.empty())
        values.erase(key);
    else
        values.replace(key, String(value, String::UTF8));
}

bool SamePictures(const std::vector<TagPicture>& a, const std::vector<TagPicture>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SamePicture);
}

bool SameValues(const EditableExtras& a, const EditableExtras& b)
{
    return a.albumArtist == b.albumArtist && a.disc == b.disc && a.discTotal == b.discTotal;
}

std::string Named(const fs::path& file, const std::string& problem)
{
    return file.string() + ": " + problem;
}

std::string Joined(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : ", ") + text;
    return joined;
}

// Changes the opened copy; the reason in problem when it cannot hold them.
bool Apply(OutputTags& tags, const EditableExtras& now, const EditableExtras& wanted, std::string& problem)
{
    if (!SameValues(now, wanted)) {
        PropertyMap values = SplitNumbers(tags.Values());
        Put(values, "ALBUMARTIST", wanted.albumArtist);
        Put(values, "DISCNUMBER", wanted.disc);
        Put(values, "DISCTOTAL", wanted.discTotal);
        std::vector<std::string> refused;
        for (const auto& [key, texts] : tags.SetValues(JoinNumbers(values, tags.Numbering())))
            refused.push_back(key.to8Bit(true));
        if (!refused.empty()) {
            problem = "this kind of file cannot hold " + Joined(refused);
            return false;
        }
    }
    if (!SamePictures(now.pictures, wanted.pictures)) {
        if (const std::vector<std::string> lost = tags.SetPictures(wanted.pictures); !lost.empty()) {
            problem = "this kind of file cannot hold the " + Joined(lost);
            return false;
        }
    }
    return true;
}

}  // namespace

bool SamePicture(const TagPicture& a, const TagPicture& b)
{
    return a.type == b.type && a.mime == b.mime && a.description == b.description && a.data == b.data;
}

void SetFrontCover(EditableExtras& extras, TagPicture picture)
{
    picture.type = FrontCover;
    std::erase_if(extras.pictures, [](const TagPicture& held) { return held.type == FrontCover; });
    extras.pictures.insert(extras.pictures.begin(), std::move(picture));
}

bool EditableExtras::operator==(const EditableExtras& other) const
{
    return SameValues(*this, other) && SamePictures(pictures, other.pictures);
}

bool HoldsEditableExtras(const fs::path& file)
{
    return HoldsExtraTags(file);
}

EditableExtras ReadEditableExtras(const fs::path& file)
{
    EditableExtras extras;
    if (!HoldsEditableExtras(file))
        return extras;
    InputTags input = ReadInputTags(file);
    const PropertyMap values = SplitNumbers(input.values);
    extras.albumArtist = First(values, "ALBUMARTIST");
    extras.disc = First(values, "DISCNUMBER");
    extras.discTotal = First(values, "DISCTOTAL");
    extras.pictures = std::move(input.pictures);
    return extras;
}

std::string WriteEditableExtras(const fs::path& file, const EditableExtras& extras)
{
    const EditableExtras now = ReadEditableExtras(file);
    if (now == extras)
        return {};
    if (!HoldsEditableExtras(file))
        return Named(file, "album artist, disc and pictures cannot be written to this kind of file");
    const StoredNames names = ReadStoredNames(file);
    std::string problem;
    const bool written = platform::EditThroughCopy(file, [&](int copy) {
        // TagLib opens the copy by the name of the descriptor: the same file.
        const fs::path copyName = "/proc/self/fd/" + std::to_string(copy);
        auto tags = OpenOutputTags(copyName, file);
        if (!tags || !Apply(*tags, now, extras, problem))
            return false;
        const bool saved = tags->Save();
        tags.reset();
        return saved && RestoreStoredNames(copyName, file, names);
    },
        [&](const fs::path& copy) { return OpenOutputTags(copy, file) != nullptr; });
    if (written)
        return {};
    return Named(file, problem.empty() ? "its album artist, disc or pictures could not be saved" : problem);
}

}  // namespace extratags
