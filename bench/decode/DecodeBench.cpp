// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes one file to WAV through the engine, as a conversion job does:
//   tremolix-decode-bench INPUT OUTPUT.wav

#include <iostream>

#include "engine/ConversionJob.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: tremolix-decode-bench INPUT OUTPUT.wav\n";
        return 2;
    }
    const TEncoder engine;
    TConversionJob encoder;
    encoder.InputFile = argv[1];
    if (!encoder.DecodeToWav(argv[2])) {
        std::cerr << encoder.ErrorText << '\n';
        return 1;
    }
    return 0;
}
