#include "ssrc/ChannelMixer.h"

namespace ssrc {

void MixChannels(const float* in, std::size_t frames, int inChannels, int outChannels, std::vector<float>& out)
{
    out.assign(frames * std::size_t(outChannels), 0.0f);
    std::vector<int> share(std::size_t(outChannels), 0);
    for (int c = 0; c < inChannels; ++c)
        ++share[std::size_t(c % outChannels)];
    for (std::size_t f = 0; f < frames; ++f) {
        const float* frame = in + f * std::size_t(inChannels);
        float* target = out.data() + f * std::size_t(outChannels);
        for (int c = 0; c < inChannels; ++c)
            target[c % outChannels] += frame[c];
        for (int c = 0; c < outChannels; ++c)
            target[c] = share[std::size_t(c)] ? target[c] / float(share[std::size_t(c)])
                                               : target[0];  // mono to stereo
    }
}

}  // namespace ssrc
