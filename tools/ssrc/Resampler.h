// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sample rate conversion of interleaved float frames with libsoxr, in a
// stream: feed blocks, then flush the filter's tail.

#include <cstddef>
#include <string>
#include <vector>

struct soxr;

namespace ssrc {

class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // highPrecision: quality fit for 24-bit output.
    bool Open(int inRate, int outRate, int channels, bool highPrecision, std::string& error);
    // Replaces out with the frames that are ready.
    bool Process(const float* in, std::size_t frames, std::vector<float>& out, std::string& error);
    bool Flush(std::vector<float>& out, std::string& error);

private:
    bool Run(const float* in, std::size_t frames, std::vector<float>& out, std::string& error);

    soxr* soxr_ = nullptr;
    double ratio_ = 1.0;
    std::size_t channels_ = 0;
};

}  // namespace ssrc
