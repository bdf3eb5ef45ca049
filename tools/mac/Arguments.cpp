// SPDX-License-Identifier: GPL-3.0-or-later
#include "Arguments.h"

#include "CompressionLevel.h"

namespace mac {

const char* const kUsage =
    "usage: mac INPUT.wav|- OUTPUT.ape [-cLEVEL] [--ignore-length]\n"
    "  -c1000 fast, -c2000 normal (default), -c3000 high, -c4000 extra high, -c5000 insane\n"
    "  --ignore-length: read the input to its end, whatever its header says\n";

std::optional<Arguments> ParseArguments(const std::vector<std::string>& words, std::string& problem)
{
    if (words.size() < 2) {
        problem = "an input and an output file are needed";
        return std::nullopt;
    }
    Arguments arguments {words[0], words[1]};
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--ignore-length") {
            arguments.ignoreLength = true;
            continue;
        }
        const bool levelWord = word.size() == 6 && word.starts_with("-c") &&
                               word.find_first_not_of("0123456789", 2) == std::string::npos;
        if (!levelWord || !LevelFromValue(std::stoi(word.substr(2)))) {
            problem = "unknown option: " + word;
            return std::nullopt;
        }
        arguments.level = std::stoi(word.substr(2));
    }
    return arguments;
}

}  // namespace mac
