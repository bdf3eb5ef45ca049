// SPDX-License-Identifier: GPL-3.0-or-later
// Monkey's Audio encoder: mac INPUT.wav OUTPUT.ape [-c1000 ... -c5000]

#include <iostream>
#include <string>
#include <vector>

#include "Arguments.h"
#include "Compressor.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> words(argv + 1, argv + argc);
    std::string problem;
    const auto arguments = mac::ParseArguments(words, problem);
    if (!arguments) {
        std::cerr << "mac: " << problem << '\n' << mac::kUsage;
        return 2;
    }
    return mac::Compress(*arguments);
}
