#include "FrameEncoder.h"

#include <algorithm>
#include <array>

#include "Crc32.h"
#include "NNFilter.h"
#include "Prediction.h"
#include "RangeEncoder.h"

namespace mac {
namespace {

// One channel's way from its filtered samples to coded residuals.
struct Channel {
    explicit Channel(const CompressionLevel& level)
    {
        for (const NNStageShape& shape : level.stages)
            chain.emplace_back(shape);
    }

    std::int32_t Refine(std::int32_t residual)
    {
        for (NNFilter& filter : chain)
            residual = filter.Residual(residual);
        return residual;
    }

    FirstOrderFilter filter;
    AdaptivePredictor predictor;
    std::vector<NNFilter> chain;
    ValueCoder coder;
};

}  // namespace

struct FrameEncoder::State {
    explicit State(const CompressionLevel& level) : first(level), second(level) {}

    Crc32 crc;
    RangeEncoder range;
    Channel first;   // mono, or the stereo difference
    Channel second;  // the stereo mid value
    std::int32_t previousMid = 0;
};

FrameEncoder::FrameEncoder(const CompressionLevel& level, int channels)
    : level_(level), channels_(channels)
{
}

FrameEncoder::~FrameEncoder() = default;

void FrameEncoder::Add(const std::int16_t* samples, std::size_t count)
{
    if (!state_)
        state_ = std::make_unique<State>(level_);
    State& s = *state_;
    std::array<std::uint8_t, 4> bytes {};
    const auto arithmetic = level_.widePrediction ? AdaptivePredictor::Arithmetic::Wide
                                                  : AdaptivePredictor::Arithmetic::Wrapped;
    for (std::size_t i = 0; i < count; ++i, samples += channels_) {
        for (int c = 0; c < channels_; ++c) {
            bytes[2 * c] = static_cast<std::uint8_t>(samples[c]);
            bytes[2 * c + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(samples[c]) >> 8);
        }
        s.crc.Update(bytes.data(), 2u * channels_);

        if (channels_ == 1) {
            const std::int32_t a = s.first.filter.Apply(samples[0]);
            s.first.coder.Encode(s.first.Refine(s.first.predictor.MonoResidual(a)), s.range);
            continue;
        }
        const std::int32_t difference = samples[1] - samples[0];
        const std::int32_t mid = samples[0] + difference / 2;
        const std::int32_t aDifference = s.first.filter.Apply(difference);
        const std::int32_t aMid = s.second.filter.Apply(mid);
        const std::int32_t eDifference =
            s.first.Refine(s.first.predictor.StereoResidual(aDifference, s.previousMid, arithmetic));
        const std::int32_t eMid =
            s.second.Refine(s.second.predictor.StereoResidual(aMid, aDifference, arithmetic));
        s.previousMid = aMid;
        s.first.coder.Encode(eDifference, s.range);
        s.second.coder.Encode(eMid, s.range);
    }
}

std::vector<std::uint8_t> FrameEncoder::Finish()
{
    if (!state_)
        state_ = std::make_unique<State>(level_);
    const std::uint32_t crc = state_->crc.Value() >> 1;
    const std::vector<std::uint8_t> coded = state_->range.Finish();
    state_.reset();

    // Logical bytes: the CRC word then the coded bytes, padded to whole words.
    std::vector<std::uint8_t> frame((4 + coded.size() + 3) / 4 * 4, 0);
    for (int i = 0; i < 4; ++i)
        frame[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    std::copy(coded.begin(), coded.end(), frame.begin() + 4);
    // Each word is stored least significant byte first.
    for (std::size_t i = 0; i < frame.size(); i += 4) {
        std::swap(frame[i], frame[i + 3]);
        std::swap(frame[i + 1], frame[i + 2]);
    }
    return frame;
}

}  // namespace mac
