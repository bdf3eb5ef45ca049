// SPDX-License-Identifier: GPL-3.0-or-later
// WAV to WAV: ssrc [--rate HZ] [--bits 8|16|24] [--mono | --stereo]
//                  [--dither | --nodither] [--quiet] [--ignore-length] INFILE OUTFILE
// Without options the samples are copied as they are; INFILE "-" reads
// standard input. Prints "NN%" progress lines where the length is known. Exit 0 on success, 1 on failure, 2 on a bad command line.

#include "ssrc/WavConversion.h"
#include "ssrc/WavSettings.h"

#include <cstdio>

namespace {

constexpr const char* Usage =
    "usage: ssrc [--rate HZ] [--bits 8|16|24] [--mono | --stereo] [--dither | --nodither] [--quiet] "
    "[--ignore-length] INFILE|- OUTFILE";

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto settings = ssrc::ParseWavSettings(argc, argv, error);
    if (!settings) {
        std::fprintf(stderr, "ssrc: %s\n%s\n", error.c_str(), Usage);
        return 2;
    }
    if (!ssrc::ConvertWav(*settings, error)) {
        std::fprintf(stderr, "ssrc: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
