// SPDX-License-Identifier: GPL-3.0-or-later
// The measuring pass of normalising on one file, as a job runs it before
// its decode; prints the peak as a fraction of full scale:
//   tremolix-normalize-bench INPUT [RATE]

#include <iostream>
#include <string>

#include "engine/Normalize.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: tremolix-normalize-bench INPUT [RATE]\n";
        return 2;
    }
    const std::uint32_t rate = argc == 3 ? std::uint32_t(std::stoul(argv[2])) : 0;
    const std::atomic<bool> cancelled{false};
    const std::optional<double> peak = engine::MeasureFilePeak(argv[1], rate, cancelled);
    if (!peak) {
        std::cerr << "cannot measure " << argv[1] << '\n';
        return 1;
    }
    std::cout << *peak << '\n';
    return 0;
}
