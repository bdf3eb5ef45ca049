#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace app {

// The folder text trimmed of blanks and control characters at both ends,
// ending in one "/" unless empty.
std::string AddBackslash(const std::string& folder);

struct NamingChoice {
    std::string targetFolder;
    bool customName = false;  // prefix + the input's own name
    std::string prefix;
    std::uint8_t format = 11;
};

// Target folder, optional prefix, the input's name less its extension, the
// format's extension; tag placeholders filled from the input's tags.
std::string MakeOutputPath(const std::filesystem::path& input, const NamingChoice& choice);

}  // namespace app
