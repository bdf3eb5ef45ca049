// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Mp4TagBridge.h"

#include <array>
#include <optional>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/tfilestream.h>
#include <unistd.h>

#include "platform/SafeRewrite.h"
#include "tags/Mp4Boxes.h"

namespace fs = std::filesystem;

namespace {

struct KeyItem {
    const char* key;
    const char* item;
};

const std::array<KeyItem, 7> Keys = {{
    {"TRACK", "trkn"},
    {"TITLE", "\251nam"},
    {"ARTIST", "\251ART"},
    {"ALBUM", "\251alb"},
    {"YEAR", "\251day"},
    {"COMMENT", "\251cmt"},
    {"GENRE", "\251gen"},
}};

const char* ItemOfKey(const std::string& key)
{
    for (const auto& entry : Keys)
        if (key == entry.key)
            return entry.item;
    return nullptr;
}

std::string TrackText(const TagLib::MP4::Item::IntPair& track)
{
    if (track.first <= 0)
        return {};
    std::string text = std::to_string(track.first);
    if (track.second > 0)
        text += "/" + std::to_string(track.second);
    return text;
}

// "5" or "5/12"; a text that holds no number removes the item.
bool ParseTrack(const std::string& text, int& number, int& total)
{
    number = total = 0;
    try {
        std::size_t used = 0;
        number = std::stoi(text, &used);
        if (used < text.size() && text[used] == '/')
            total = std::stoi(text.substr(used + 1));
    } catch (const std::exception&) {
        return false;
    }
    return number > 0;
}

std::string ReadItem(const TagLib::MP4::Tag& tag, const KeyItem& entry)
{
    const TagLib::MP4::Item item = tag.item(entry.item);
    if (!item.isValid())
        return {};
    if (std::string(entry.key) == "TRACK")
        return TrackText(item.toIntPair());
    return item.toStringList().toString(TagLib::String(std::string(1, '\0'))).to8Bit(true);
}

// The value as it reads back once written.
std::string AsWritten(const std::string& key, const std::string& value)
{
    int number = 0, total = 0;
    if (key != "TRACK")
        return value;
    return ParseTrack(value, number, total) ? TrackText({number, total}) : std::string();
}

// The values a file holds for every key, or nothing when it is no MP4 file.
std::optional<std::map<std::string, std::string>> ReadValues(TagLib::MP4::File& mp4)
{
    if (!mp4.isValid() || !mp4.tag())
        return std::nullopt;
    std::map<std::string, std::string> values;
    for (const auto& entry : Keys)
        if (std::string value = ReadItem(*mp4.tag(), entry); !value.empty())
            values[entry.key] = value;
    return values;
}

std::optional<std::map<std::string, std::string>> ReadValues(const fs::path& file)
{
    if (!mp4boxes::TopLevelBoxes(file))
        return std::nullopt;
    TagLib::MP4::File mp4(file.c_str(), false);
    return ReadValues(mp4);
}

void WriteItem(TagLib::MP4::Tag& tag, const std::string& key, const std::string& value)
{
    const char* item = ItemOfKey(key);
    int number = 0, total = 0;
    if (key == "TRACK" && ParseTrack(value, number, total))
        tag.setItem(item, TagLib::MP4::Item(number, total));
    else if (key != "TRACK" && !value.empty())
        tag.setItem(item, TagLib::StringList(TagLib::String(value, TagLib::String::UTF8).split(TagLib::String(std::string(1, '\0')))));
    else
        tag.removeItem(item);
}

// Edits the copy; a size-0 last box gets its real size first, so TagLib's
// change of the sizes around the tag cannot break it.
bool EditCopy(int copy, const std::vector<mp4boxes::Box>& boxes, const std::map<std::string, std::string>& changes)
{
    const int descriptor = ::dup(copy);
    if (descriptor < 0 || !mp4boxes::StoreEndBoxSize(copy, boxes)) {
        if (descriptor >= 0)
            ::close(descriptor);
        return false;
    }
    TagLib::FileStream stream(descriptor, false);
    TagLib::MP4::File mp4(&stream, false);
    if (!mp4.isValid() || !mp4.tag())
        return false;
    for (const auto& [key, value] : changes)
        WriteItem(*mp4.tag(), key, value);
    return mp4.save();
}

}  // namespace

bool TMp4TagBridge::Load(const fs::path& file)
{
    Unload();
    auto values = ReadValues(file);
    if (!values)
        return false;
    file_ = file;
    values_ = std::move(*values);
    return true;
}

bool TMp4TagBridge::GetValue(const std::string& key, std::string& value) const
{
    const auto found = values_.find(key);
    if (found == values_.end())
        return false;
    value = found->second;
    return true;
}

bool TMp4TagBridge::SetValue(const std::string& key, const std::string& value)
{
    if (file_.empty() || !ItemOfKey(key))
        return false;
    changes_[key] = value;
    return true;
}

bool TMp4TagBridge::Write()
{
    if (file_.empty() || changes_.empty())
        return platform::RefuseRewrite("no MP4 file loaded or nothing set");
    // Only values that differ from the file's are written, so an unchanged
    // item keeps its stored form (a numeric genre, a track total).
    std::map<std::string, std::string> expected = values_, changes;
    for (const auto& [key, value] : changes_) {
        const std::string stored = AsWritten(key, value);
        const auto found = values_.find(key);
        if (stored == (found == values_.end() ? std::string() : found->second))
            continue;
        changes[key] = value;
        if (stored.empty())
            expected.erase(key);
        else
            expected[key] = stored;
    }
    changes_.clear();
    if (changes.empty())
        return true;
    const auto boxes = mp4boxes::TopLevelBoxes(file_);
    if (!boxes)
        return platform::RefuseRewrite("the MP4 boxes do not add up to the file");
    const bool written = platform::EditThroughCopy(
        file_, [&](int copy) { return EditCopy(copy, *boxes, changes); },
        [&](const fs::path& copy) {
            const auto newBoxes = mp4boxes::TopLevelBoxes(copy);
            return newBoxes && ReadValues(copy) == expected && mp4boxes::SameMediaData(file_, *boxes, copy, *newBoxes);
        });
    if (written)
        values_ = std::move(expected);
    return written;
}

void TMp4TagBridge::Unload()
{
    file_.clear();
    values_.clear();
    changes_.clear();
}
