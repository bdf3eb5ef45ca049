// SPDX-License-Identifier: GPL-3.0-or-later
// The check every job makes of its output before giving it its name, on one
// finished output, against a whole decode of the same file. Prints the best
// CPU seconds of each over RUNS tries:
//   tremolix-verify-bench OUTPUT SECONDS [RUNS]

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "engine/OutputCheck.h"

namespace {

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double Best(int runs, const std::function<bool()>& work)
{
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double start = CpuSeconds();
        if (!work())
            return -1;
        best = std::min(best, CpuSeconds() - start);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: tremolix-verify-bench OUTPUT SECONDS [RUNS]\n");
        return 2;
    }
    const std::string output = argv[1];
    const double seconds = std::stod(argv[2]);
    const int runs = argc == 4 ? std::max(1, std::stoi(argv[3])) : 5;
    std::string why;
    const double check = Best(runs, [&] { return engine::VerifyOutput(output, seconds, why); });
    if (check < 0) {
        std::fprintf(stderr, "%s fails the check: %s\n", output.c_str(), why.c_str());
        return 1;
    }
    const double decode = Best(runs, [&] { return engine::DecodedSeconds(output).has_value(); });
    std::printf("%.4f %.4f\n", check, decode);
    return 0;
}
