// SPDX-License-Identifier: GPL-3.0-or-later
#include "ssrc/Resampler.h"

#include <soxr.h>

namespace ssrc {
namespace {

constexpr std::size_t MinOutputFrames = 4096;

}  // namespace

Resampler::~Resampler()
{
    if (soxr_)
        soxr_delete(soxr_);
}

bool Resampler::Open(int inRate, int outRate, int channels, bool highPrecision, std::string& error)
{
    ratio_ = double(outRate) / double(inRate);
    channels_ = std::size_t(channels);
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(highPrecision ? SOXR_VHQ : SOXR_HQ, 0);
    soxr_error_t failure = nullptr;
    soxr_ = soxr_create(inRate, outRate, unsigned(channels), &failure, &io, &quality, nullptr);
    if (failure) {
        error = std::string("resampler: ") + failure;
        return false;
    }
    return true;
}

bool Resampler::Process(const float* in, std::size_t frames, std::vector<float>& out, std::string& error)
{
    out.clear();
    return Run(in, frames, out, error);
}

bool Resampler::Flush(std::vector<float>& out, std::string& error)
{
    out.clear();
    return Run(nullptr, 0, out, error);
}

// A null input asks soxr for the filter's tail; it is drained until soxr
// has nothing more to give.
bool Resampler::Run(const float* in, std::size_t frames, std::vector<float>& out, std::string& error)
{
    const std::size_t room = std::size_t(double(frames) * ratio_) + MinOutputFrames;
    std::size_t consumed = 0;
    for (;;) {
        const std::size_t start = out.size();
        out.resize(start + room * channels_);
        std::size_t used = 0;
        std::size_t made = 0;
        const float* from = in ? in + consumed * channels_ : nullptr;
        const soxr_error_t failure =
            soxr_process(soxr_, from, frames - consumed, &used, out.data() + start, room, &made);
        if (failure) {
            error = std::string("resampler: ") + failure;
            return false;
        }
        consumed += used;
        out.resize(start + made * channels_);
        const bool inputLeft = in && consumed < frames;
        const bool outputLeft = in ? made == room : made > 0;
        if (!inputLeft && !outputLeft)
            return true;
        if (in && used == 0 && made == 0) {
            error = "resampler: no progress";
            return false;
        }
    }
}

}  // namespace ssrc
