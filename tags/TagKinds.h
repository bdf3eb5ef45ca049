// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One step per tag kind: copying a tag's values into the record, and
// writing the fields a user changed into a file's tag of that kind.

#include <cstdint>
#include <filesystem>
#include <string>

#include "tags/TagInfo.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

// The record to write beside the one the file held before. Only a changed
// field reaches a setter, so an unchanged one keeps its frame, item or
// comment exactly as stored.
struct TTagEdit {
    TTAGInfo values;
    TTAGInfo read;

    bool Changed(TagFieldPointer field) const
    {
        const std::size_t index = TagFieldIndex(field);
        return TagValues(values, index) != TagValues(read, index);
    }
};

namespace tagsteps {

// The text as a decimal integer; 0 when it is not one.
std::int64_t DecimalOrZero(const std::string& text);

// Non-empty values only: a value copied before is never cleared.
void TagInfoFromID3v1(const TID3v1& tag, TTAGInfo& info);
void TagInfoFromID3v2(const TID3v2& tag, TTAGInfo& info);
void TagInfoFromAPE(const TAPETag& tag, TTAGInfo& info);
void TagInfoFromWMA(const std::filesystem::path& file, TTAGInfo& info);
void TagInfoFromMP4(const std::filesystem::path& file, TTAGInfo& info);

// True without touching the file when none of the step's fields changed.
// Never creates an ID3v1 tag (true when there is none); the ID3v2 and APE
// steps create one when none is there.
bool SaveID3v1Tag(const std::filesystem::path& file, const TTagEdit& edit);
bool SaveID3v2Tag(const std::filesystem::path& file, const TTagEdit& edit);
bool SaveAPETag(const std::filesystem::path& file, const TTagEdit& edit);
// Why the edit may not touch the file's APE tag: it would change an item
// marked read-only, named here. Empty when the edit may go ahead.
std::string ReadOnlyAPEProblem(const std::filesystem::path& file, const TTagEdit& edit);
bool SaveWMATag(const std::filesystem::path& file, const TTagEdit& edit);
bool SaveMP4Tag(const std::filesystem::path& file, const TTagEdit& edit);

}  // namespace tagsteps
