// SPDX-License-Identifier: GPL-3.0-or-later
#include "ssrc/ChannelMixer.h"

#include <array>

namespace ssrc {
namespace {

constexpr float Half = 0.7071068f;  // -3 dB

struct Sides {
    float left;
    float right;
};

// By WAV speaker bit: FL FR FC LFE BL BR FLC FRC BC SL SR TC TFL TFC TFR TBL TBC TBR.
constexpr std::array<Sides, 18> SpeakerSides = {{
    {1, 0}, {0, 1}, {Half, Half}, {0, 0}, {Half, 0}, {0, Half}, {1, 0}, {0, 1}, {0.5f, 0.5f},
    {Half, 0}, {0, Half}, {0.5f, 0.5f}, {Half, 0}, {0.5f, 0.5f}, {0, Half}, {Half, 0}, {0.5f, 0.5f}, {0, Half},
}};

// The speaker layouts WAV files have when they do not say.
constexpr std::array<std::uint32_t, 9> DefaultMasks = {0, 0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F};

// The sides of each input channel in file order.
std::vector<Sides> ChannelSides(int channels, std::uint32_t mask)
{
    if (mask == 0 && channels < int(DefaultMasks.size()))
        mask = DefaultMasks[std::size_t(channels)];
    std::vector<Sides> sides;
    for (std::size_t bit = 0; bit < SpeakerSides.size() && int(sides.size()) < channels; ++bit)
        if (mask & (1u << bit))
            sides.push_back(SpeakerSides[bit]);
    sides.resize(std::size_t(channels), Sides {0.5f, 0.5f});  // positions the mask does not name
    return sides;
}

}  // namespace

ChannelMixer::ChannelMixer(int inChannels, std::uint32_t mask, int outChannels)
    : inChannels_(inChannels), outChannels_(outChannels),
      weights_(std::size_t(inChannels) * std::size_t(outChannels), 0.0f)
{
    const std::vector<Sides> sides =
        inChannels == 1 ? std::vector<Sides> {{1, 1}} : ChannelSides(inChannels, mask);
    for (int o = 0; o < outChannels; ++o) {
        float* row = weights_.data() + std::size_t(o) * std::size_t(inChannels);
        float sum = 0;
        for (int c = 0; c < inChannels; ++c) {
            const Sides& s = sides[std::size_t(c)];
            row[c] = outChannels == 1 ? (s.left + s.right) / 2 : o == 0 ? s.left : s.right;
            sum += row[c];
        }
        for (int c = 0; c < inChannels && sum > 1; ++c)
            row[c] /= sum;
    }
}

void ChannelMixer::Mix(const float* in, std::size_t frames, std::vector<float>& out) const
{
    out.assign(frames * std::size_t(outChannels_), 0.0f);
    for (std::size_t f = 0; f < frames; ++f) {
        const float* frame = in + f * std::size_t(inChannels_);
        for (int o = 0; o < outChannels_; ++o) {
            const float* row = weights_.data() + std::size_t(o) * std::size_t(inChannels_);
            float value = 0;
            for (int c = 0; c < inChannels_; ++c)
                value += row[c] * frame[c];
            out[f * std::size_t(outChannels_) + std::size_t(o)] = value;
        }
    }
}

}  // namespace ssrc
