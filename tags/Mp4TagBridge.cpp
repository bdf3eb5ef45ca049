#include "tags/Mp4TagBridge.h"

#include <array>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include "platform/SafeRewrite.h"

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
    return item.toStringList().toString(", ").to8Bit(true);
}

void WriteItem(TagLib::MP4::Tag& tag, const std::string& key, const std::string& value)
{
    const char* item = ItemOfKey(key);
    int number = 0, total = 0;
    if (key == "TRACK" && ParseTrack(value, number, total))
        tag.setItem(item, TagLib::MP4::Item(number, total));
    else if (key != "TRACK" && !value.empty())
        tag.setItem(item, TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)));
    else
        tag.removeItem(item);
}

}  // namespace

bool TMp4TagBridge::Load(const fs::path& file)
{
    Unload();
    TagLib::MP4::File mp4(file.c_str(), false);
    if (!mp4.isValid() || !mp4.tag())
        return false;
    file_ = file;
    for (const auto& entry : Keys)
        if (std::string value = ReadItem(*mp4.tag(), entry); !value.empty())
            values_[entry.key] = value;
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
        return false;
    const bool written = platform::EditThroughCopy(file_, [this](const fs::path& copy) {
        TagLib::MP4::File mp4(copy.c_str(), false);
        if (!mp4.isValid() || !mp4.tag())
            return false;
        for (const auto& [key, value] : changes_)
            WriteItem(*mp4.tag(), key, value);
        return mp4.save();
    });
    if (written)
        for (const auto& [key, value] : changes_)
            values_[key] = value;
    changes_.clear();
    return written;
}

void TMp4TagBridge::Unload()
{
    file_.clear();
    values_.clear();
    changes_.clear();
}
