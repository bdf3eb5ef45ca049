// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameEncoder.h"

#include <algorithm>

#include "Crc32.h"
#include "NNFilter.h"
#include "Prediction.h"
#include "RangeEncoder.h"

namespace mac {
namespace {

constexpr std::size_t kProgressBlocks = 4096;
constexpr std::uint32_t kHasFlags = 0x80000000;

// Frame flags: the decoder outputs silence, or one channel for both.
constexpr std::uint32_t kMonoSilence = 1;
constexpr std::uint32_t kStereoSilence = 3;
constexpr std::uint32_t kPseudoStereo = 4;

// One channel's way from its samples to coded residuals.
class Channel {
public:
    explicit Channel(const CompressionLevel& level)
    {
        for (const NNStageShape& shape : level.stages)
            chain_.emplace_back(shape);
    }

    std::int32_t Filter(std::int32_t sample) { return filter_.Apply(sample); }
    AdaptivePredictor& Predictor() { return predictor_; }

    void Code(std::int32_t residual, RangeEncoder& range)
    {
        for (NNFilter& filter : chain_)
            residual = filter.Residual(residual);
        coder_.Encode(residual, range);
    }

private:
    FirstOrderFilter filter_;
    AdaptivePredictor predictor_;
    std::vector<NNFilter> chain_;
    ValueCoder coder_;
};

// Runs `code` on each block index, reporting progress in steps.
template <typename Code>
void ForEachBlock(std::size_t blocks, const BlockProgress& progress, Code code)
{
    for (std::size_t start = 0; start < blocks; start += kProgressBlocks) {
        const std::size_t end = std::min(blocks, start + kProgressBlocks);
        for (std::size_t i = start; i < end; ++i)
            code(i);
        progress(end);
    }
}

// Samples taken every `stride` values, from the first.
void CodeMono(const CompressionLevel& level, const std::int16_t* samples, std::size_t stride, std::size_t blocks,
              RangeEncoder& range, const BlockProgress& progress)
{
    Channel channel(level);
    ForEachBlock(blocks, progress, [&](std::size_t i) {
        channel.Code(channel.Predictor().MonoResidual(channel.Filter(samples[i * stride])), range);
    });
}

// The difference of the channels and their mid value, each predicted also
// from the other; per block the difference is coded first.
void CodeStereo(const CompressionLevel& level, const std::int16_t* samples, std::size_t blocks,
                RangeEncoder& range, const BlockProgress& progress)
{
    const auto arithmetic =
        level.widePrediction ? AdaptivePredictor::Arithmetic::Wide : AdaptivePredictor::Arithmetic::Wrapped;
    Channel difference(level);
    Channel mid(level);
    std::int32_t previousMid = 0;
    ForEachBlock(blocks, progress, [&](std::size_t i) {
        const std::int32_t d = samples[2 * i + 1] - samples[2 * i];
        const std::int32_t m = samples[2 * i] + d / 2;
        const std::int32_t filteredD = difference.Filter(d);
        const std::int32_t filteredM = mid.Filter(m);
        const std::int32_t residualD = difference.Predictor().StereoResidual(filteredD, previousMid, arithmetic);
        const std::int32_t residualM = mid.Predictor().StereoResidual(filteredM, filteredD, arithmetic);
        previousMid = filteredM;
        difference.Code(residualD, range);
        mid.Code(residualM, range);
    });
}

std::uint32_t FrameFlags(int channels, const std::int16_t* samples, std::size_t blocks)
{
    const std::int16_t* end = samples + blocks * channels;
    if (std::all_of(samples, end, [](std::int16_t s) { return s == 0; }))
        return channels == 1 ? kMonoSilence : kStereoSilence;
    bool sameChannels = channels == 2;
    for (std::size_t i = 0; sameChannels && i < blocks; ++i)
        sameChannels = samples[2 * i] == samples[2 * i + 1];
    return sameChannels ? kPseudoStereo : 0;
}

std::uint32_t Crc(const std::int16_t* samples, std::size_t count)
{
    std::vector<std::uint8_t> bytes(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<std::uint8_t>(value);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    Crc32 crc;
    crc.Update(bytes.data(), bytes.size());
    return crc.Value();
}

void PutWord(std::vector<std::uint8_t>& logical, std::uint32_t word)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        logical.push_back(static_cast<std::uint8_t>(word >> shift));
}

// Pads to whole words and stores each word least significant byte first.
std::vector<std::uint8_t> StoredWords(std::vector<std::uint8_t> logical)
{
    logical.resize((logical.size() + 3) / 4 * 4, 0);
    for (std::size_t i = 0; i < logical.size(); i += 4) {
        std::swap(logical[i], logical[i + 3]);
        std::swap(logical[i + 1], logical[i + 2]);
    }
    return logical;
}

}  // namespace

std::vector<std::uint8_t> EncodeFrame(const CompressionLevel& level, int channels, const std::int16_t* samples,
                                      std::size_t blocks, const BlockProgress& progress)
{
    const std::uint32_t flags = FrameFlags(channels, samples, blocks);
    RangeEncoder range;
    if (flags == kPseudoStereo || (flags == 0 && channels == 1))
        CodeMono(level, samples, channels, blocks, range, progress);
    else if (flags == 0)
        CodeStereo(level, samples, blocks, range, progress);
    else
        progress(blocks);
    const std::vector<std::uint8_t> coded = range.Finish();

    std::vector<std::uint8_t> logical;
    logical.reserve(8 + coded.size() + 3);
    const std::uint32_t crc = Crc(samples, blocks * channels) >> 1;
    PutWord(logical, flags ? crc | kHasFlags : crc);
    if (flags)
        PutWord(logical, flags);
    logical.resize(logical.size() + coded.size());
    std::copy(coded.begin(), coded.end(), logical.end() - static_cast<std::ptrdiff_t>(coded.size()));
    return StoredWords(std::move(logical));
}

}  // namespace mac
