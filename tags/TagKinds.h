#pragma once

// One step per tag kind: copying a tag's values into the record, and
// writing the record into a file's tag of that kind.

#include <cstdint>
#include <filesystem>
#include <string>

#include "tags/TagInfo.h"
#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"

namespace tagsteps {

// The text as a decimal integer; 0 when it is not one.
std::int64_t DecimalOrZero(const std::string& text);

// Non-empty values only: a value copied before is never cleared.
void TagInfoFromID3v1(const TID3v1& tag, TTAGInfo& info);
void TagInfoFromID3v2(const TID3v2& tag, TTAGInfo& info);
void TagInfoFromAPE(const TAPETag& tag, TTAGInfo& info);
void TagInfoFromWMA(const std::filesystem::path& file, TTAGInfo& info);
void TagInfoFromMP4(const std::filesystem::path& file, TTAGInfo& info);

// Never creates an ID3v1 tag; the ID3v2 and APE steps create one when none is there.
bool SaveID3v1Tag(const std::filesystem::path& file, const TTAGInfo& info);
bool SaveID3v2Tag(const std::filesystem::path& file, const TTAGInfo& info);
bool SaveAPETag(const std::filesystem::path& file, const TTAGInfo& info);
bool SaveWMATag(const std::filesystem::path& file, const TTAGInfo& info);
bool SaveMP4Tag(const std::filesystem::path& file, const TTAGInfo& info);

}  // namespace tagsteps
