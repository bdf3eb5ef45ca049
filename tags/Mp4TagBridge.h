// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// MP4 and M4A tags by key ("TRACK", "TITLE", "ARTIST", "ALBUM", "YEAR",
// "COMMENT", "GENRE"): load a file, get and set values, write the set values.
// Several values of an item (data atoms) are one value, NUL between them.
// Items it does not own (cover art and the rest) stay in the file.

#include <filesystem>
#include <map>
#include <string>

class TMp4TagBridge {
public:
    // False when the file is not an MP4 file that can be read.
    bool Load(const std::filesystem::path& file);
    // False when the key has no value.
    bool GetValue(const std::string& key, std::string& value) const;
    // False for a key it does not know; an empty value removes the item.
    bool SetValue(const std::string& key, const std::string& value);
    // Commits the set values; the file is unchanged when this fails.
    bool Write();
    void Unload();

private:
    std::filesystem::path file_;
    std::map<std::string, std::string> values_;  // as read
    std::map<std::string, std::string> changes_;
};
