// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A decode stream of the audio library: the first audio stream of a file as
// interleaved signed 16-bit PCM (or 24-bit when asked) at the source's rate
// or one asked for before the first read, mono for a mono source and stereo
// otherwise (more channels are down-mixed by libswresample unless kept),
// optionally scaled by a gain.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "engine/AudioHandles.h"
#include "engine/FfmpegPointers.h"
#include "engine/MediaSource.h"

namespace engine {
class LoudnessMeter;
}

namespace AudioLibrary::internal {

class DecodeStream final : public HandleObject {
public:
    // nullptr when no decoder reads the file, with the reason in error.
    static std::shared_ptr<DecodeStream> Open(const std::filesystem::path& path, int& error);
    ~DecodeStream() override;

    std::uint32_t Rate() const { return std::uint32_t(rate_); }
    std::uint32_t Channels() const { return std::uint32_t(channels_); }
    std::uint32_t Bits() const { return std::uint32_t(bits_); }
    std::uint32_t BlockAlign() const { return std::uint32_t(channels_ * bits_ / 8); }
    std::uint32_t ChannelMask() const;
    const SourceFormat& Source() const { return sourceFormat_; }
    std::uint64_t FileSize() const { return source_->FileSize(); }
    std::uint64_t Position() const { return position_; }
    // The container's length until the end is reached, then the exact one;
    // never below the position.
    std::uint64_t Length() const;
    // The length the file declares, whatever was read; 0 when it declares
    // none or the container only guesses one from the bit rate.
    std::uint64_t StatedLength() const { return source_->DeclaredFrames(rate_) * BlockAlign(); }
    bool Active() const;
    // Whole sample frames, up to bytes; -1 on a conversion failure.
    std::int32_t Read(void* buffer, std::uint32_t bytes);

    // True once a read has begun converting; the output rate is fixed then.
    bool Started() const { return resampler_ != nullptr || position_ > 0; }
    // Resamples to rate from the first read on; false when started or when
    // rate is 0 or more than MaxRateRatio times away from the source's
    // opening rate.
    bool SetOutputRate(std::uint32_t rate);
    // Scales what is read from now on, saturating; false unless gain is
    // finite and not negative.
    bool SetGain(double gain);
    // Delivers bits (16 or 24) per sample and, with keepChannels, the
    // source's own channels from the first read on; false when started or
    // asked for what it cannot deliver.
    bool SetSampleFormat(std::uint32_t bits, bool keepChannels);

    // Every decoded frame goes to meter too, before resampling and gain.
    void SetMeter(std::shared_ptr<engine::LoudnessMeter> meter) { meter_ = std::move(meter); }

    static constexpr std::uint32_t MaxRateRatio = 64;

private:
    DecodeStream() = default;
    bool OpenDecoder();
    bool Prime();
    void ReadSourceFormat(const AVChannelLayout& layout);
    int Resample(std::uint8_t* target, int capacity, const std::uint8_t** input, int count);
    bool DecodeFrame();
    int PrepareResampler();
    std::int64_t ConvertFrame(std::uint8_t* out, std::size_t space);
    void FlushResampler();
    std::uint8_t* ReservePending(std::size_t bytes);
    std::size_t TakePending(std::uint8_t* out, std::size_t space);

    std::unique_ptr<MediaSource> source_;
    engine::ffmpeg::CodecContextPtr codec_;
    engine::ffmpeg::FramePtr frame_;
    engine::ffmpeg::PacketPtr packet_;
    engine::ffmpeg::ResamplerPtr resampler_;
    std::shared_ptr<engine::LoudnessMeter> meter_;
    AVChannelLayout resamplerLayout_{};
    AVChannelLayout sourceLayout_{};
    AVChannelLayout outputLayout_{};
    // 24-bit output comes from the resampler as 32-bit samples first.
    std::vector<std::int32_t> wide_;
    int resamplerFormat_ = -1;
    int resamplerRate_ = 0;

    // Converted data the caller had no room for.
    std::unique_ptr<std::uint8_t[]> pending_;
    std::size_t pendingCapacity_ = 0;
    std::size_t pendingBegin_ = 0;
    std::size_t pendingEnd_ = 0;

    int sourceRate_ = 0;
    int rate_ = 0;
    int channels_ = 0;
    int bits_ = 16;
    SourceFormat sourceFormat_;
    double gain_ = 1.0;
    bool frameReady_ = false;
    bool draining_ = false;
    bool sourceDone_ = false;
    bool failed_ = false;
    std::uint64_t statedLength_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace AudioLibrary::internal
