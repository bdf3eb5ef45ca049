#pragma once

#include <filesystem>
#include <string>

namespace app {

// Replaces "%TrackNum%", "%Album%", "%Artist%", "%Year%" and "%Genre%" in the
// whole path by the input's tag values. Characters a file name cannot hold
// ("/" and NUL) are replaced by "_" in the values, so a tag never sends the
// output into another folder. Throws TagError when the tag layer does.
std::string ApplyTagPlaceholders(const std::string& path, const std::filesystem::path& input);

// Copies the input's tags into the output, as far as the output's kind holds them.
void CopyTags(const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace app
