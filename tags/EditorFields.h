// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fields of the tag editor as texts over an edited file: each reads the
// text a control shows and writes an edited text back. Artists and genres
// show all their values joined by "; ". Track and disc show number and
// total apart ("2/5" is track 2 of 5).

#include <filesystem>
#include <string>
#include <vector>

#include "tags/EditedFile.h"

struct TEditorField {
    const char* name;
    std::string (*get)(const TEditedFile& file);
    void (*set)(TEditedFile& file, const std::string& text);
    bool (*writable)(const std::filesystem::path& path);
};

enum class EditorFieldId {
    Title, Artist, Album, AlbumArtist, Year, Track, TrackTotal, Disc, DiscTotal,
    Genre, Comment, Copyright, URL, EncodedBy, Count
};

const TEditorField& EditorField(EditorFieldId id);

// The text several files show for a field: theirs when all agree.
bool SameFieldText(const std::vector<TEditedFile>& files, EditorFieldId id, std::string& text);

// "A; B" into its values, trimmed, empty ones left out; and back.
std::vector<std::string> SplitEditorValues(const std::string& text);
std::string JoinEditorValues(const std::vector<std::string>& values);

// Track 1..N of N in the files' order.
void NumberTracks(std::vector<TEditedFile>& files);
