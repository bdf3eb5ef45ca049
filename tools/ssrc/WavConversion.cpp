// SPDX-License-Identifier: GPL-3.0-or-later
#include "ssrc/WavConversion.h"

#include "ssrc/ChannelMixer.h"
#include "ssrc/Quantizer.h"
#include "ssrc/Resampler.h"
#include "wavio/Progress.h"
#include "wavio/SampleCodec.h"
#include "wavio/WavReader.h"
#include "wavio/WavWriter.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace ssrc {
namespace {

constexpr std::size_t BlockFrames = 4096;
// Beyond this the output of one block would no longer be small (8 kHz to
// 384 kHz is still within).
constexpr int MaxRateRatio = 48;

bool RatioAllowed(int inRate, int outRate)
{
    return std::max(inRate, outRate) / std::min(inRate, outRate) <= MaxRateRatio;
}

// Input frames per block, fewer when upsampling so that the output of a
// block stays near BlockFrames.
std::size_t InputBlock(int inRate, int outRate)
{
    const std::size_t ratio = std::size_t((outRate + inRate - 1) / inRate);
    return std::max<std::size_t>(64, BlockFrames / ratio);
}

wavio::WavFormat OutputFormat(const wavio::WavFormat& in, const WavSettings& settings)
{
    const bool integerDepthKept = in.kind == wavio::SampleKind::Integer && in.bitsPerSample <= 24;
    wavio::WavFormat out;
    out.sampleRate = settings.sampleRate ? settings.sampleRate : in.sampleRate;
    out.channels = settings.channels ? settings.channels : in.channels;
    out.bitsPerSample = settings.bits ? settings.bits : integerDepthKept ? in.bitsPerSample : 16;
    out.channelMask = out.channels == in.channels ? in.channelMask : 0;
    return out;
}

// Everything after reading: each block goes through the steps it needs.
class Pipeline {
public:
    Pipeline(const wavio::WavFormat& in, const wavio::WavFormat& out, bool dither)
        : in_(in), out_(out), mixer_(in.channels, in.channelMask, out.channels),
          quantizer_(out.bitsPerSample, dither && (in.kind == wavio::SampleKind::Float ||
                                                   out.bitsPerSample < in.bitsPerSample))
    {
    }

    bool Open(const std::filesystem::path& target, std::string& error)
    {
        if (in_.sampleRate != out_.sampleRate) {
            resampler_ = std::make_unique<Resampler>();
            if (!resampler_->Open(in_.sampleRate, out_.sampleRate, out_.channels, out_.bitsPerSample > 16, error))
                return false;
        }
        return writer_.Open(target, out_, error);
    }

    bool Push(const std::uint8_t* raw, std::size_t frames, std::string& error)
    {
        decoded_.resize(frames * std::size_t(in_.channels));
        wavio::DecodeSamples(raw, decoded_.size(), in_, decoded_.data());
        const std::vector<float>* samples = &decoded_;
        if (in_.channels != out_.channels) {
            mixer_.Mix(decoded_.data(), frames, mixed_);
            samples = &mixed_;
        }
        if (!resampler_)
            return Write(*samples, error);
        return resampler_->Process(samples->data(), frames, resampled_, error) && Write(resampled_, error);
    }

    bool Finish(std::string& error)
    {
        if (resampler_ && !(resampler_->Flush(resampled_, error) && Write(resampled_, error)))
            return false;
        return writer_.Commit(error);
    }

private:
    bool Write(const std::vector<float>& samples, std::string& error)
    {
        quantizer_.Encode(samples.data(), samples.size(), encoded_);
        return writer_.Write(encoded_.data(), encoded_.size(), error);
    }

    wavio::WavFormat in_;
    wavio::WavFormat out_;
    ChannelMixer mixer_;
    Quantizer quantizer_;
    std::unique_ptr<Resampler> resampler_;
    wavio::WavWriter writer_;
    std::vector<float> decoded_, mixed_, resampled_;
    std::vector<std::uint8_t> encoded_;
};

}  // namespace

bool ConvertWav(const WavSettings& settings, std::string& error)
{
    wavio::WavReader reader;
    if (!reader.Open(settings.input, settings.ignoreLength, error)) {
        error = "cannot read " + wavio::InputName(settings.input) + ": " + error;
        return false;
    }
    const wavio::WavFormat& in = reader.Format();
    const wavio::WavFormat out = OutputFormat(in, settings);
    if (!RatioAllowed(in.sampleRate, out.sampleRate)) {
        error = "cannot convert " + std::to_string(in.sampleRate) + " Hz to " + std::to_string(out.sampleRate) +
                " Hz: more than " + std::to_string(MaxRateRatio) + " times apart";
        return false;
    }
    Pipeline pipeline(in, out, settings.dither);
    if (!pipeline.Open(settings.output, error)) {
        error = "cannot write " + settings.output.string() + ": " + error;
        return false;
    }
    const std::size_t block = InputBlock(in.sampleRate, out.sampleRate);
    std::vector<std::uint8_t> raw(block * std::size_t(in.BlockAlign()));
    wavio::Progress progress(reader.ExpectedFrames(), settings.quiet);
    std::uint64_t done = 0;
    while (const std::size_t frames = reader.Read(raw.data(), block)) {
        if (!pipeline.Push(raw.data(), frames, error))
            return false;
        progress.Update(done += frames);
    }
    if (reader.Failed()) {
        error = "reading " + wavio::InputName(settings.input) + " failed";
        return false;
    }
    if (!pipeline.Finish(error))
        return false;
    progress.Finish();
    return true;
}

}  // namespace ssrc
