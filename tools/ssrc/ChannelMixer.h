// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Changes the channel count of interleaved float frames. Mono becomes
// stereo by doubling; other layouts go down to stereo by speaker position
// (centre channels to both sides at -3 dB, surrounds to their side, the
// low-frequency channel left out) and to mono as the mean of that stereo.
// Each output is scaled so that it cannot clip.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ssrc {

class ChannelMixer {
public:
    // mask: the WAV speaker bits of the input, 0 for the usual order.
    ChannelMixer(int inChannels, std::uint32_t mask, int outChannels);

    // Replaces out with the mixed frames.
    void Mix(const float* in, std::size_t frames, std::vector<float>& out) const;

private:
    int inChannels_;
    int outChannels_;
    std::vector<float> weights_;  // outChannels_ rows of inChannels_ weights
};

}  // namespace ssrc
