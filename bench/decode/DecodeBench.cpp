// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes one file to WAV through the engine, as a conversion job does, for
// an output format index when given (its depth and channels; default none,
// 16-bit stereo):
//   tremolix-decode-bench INPUT OUTPUT.wav [FORMAT]

#include <cstdlib>
#include <iostream>

#include "engine/ConversionJob.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: tremolix-decode-bench INPUT OUTPUT.wav [FORMAT]\n";
        return 2;
    }
    const TEncoder engine;
    TConversionJob encoder;
    encoder.InputFile = argv[1];
    if (argc == 4)
        encoder.OutputFormat = std::uint8_t(std::atoi(argv[3]));
    if (!encoder.DecodeToWav(argv[2])) {
        std::cerr << encoder.ErrorText << '\n';
        return 1;
    }
    return 0;
}
