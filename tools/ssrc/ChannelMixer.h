#pragma once

// Changes the channel count of interleaved float frames: mono is the mean
// of all channels, mono to stereo doubles it, and more than two channels
// fold into stereo alternately (even ones left, odd ones right).

#include <cstddef>
#include <vector>

namespace ssrc {

void MixChannels(const float* in, std::size_t frames, int inChannels, int outChannels, std::vector<float>& out);

}  // namespace ssrc
