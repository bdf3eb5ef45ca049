#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// Replaces "%TrackNum%", "%Album%", "%Artist%", "%Year%" and "%Genre%" in the
// whole path by the input's tag values. Characters a file name cannot hold
// ("/" and NUL) are replaced by "_" in the values, so a tag never sends the
// output into another folder. Throws TagError when the tag layer does.
std::string ApplyTagPlaceholders(const std::string& path, const std::filesystem::path& input);

// Copies the input's tags into the output, as far as the output's kind holds
// them: the record's twelve fields, then every other value and the pictures.
// Returns what the output could not take ("LYRICS", "picture (Back cover)");
// throws TagError when the record's fields could not be written.
std::vector<std::string> CopyTags(const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace app
