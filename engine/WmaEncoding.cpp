// SPDX-License-Identifier: GPL-3.0-or-later
// A WMA job: the decoded input fed straight to the audio library's WMA
// encoder, and the query of the rates that encoder offers.

#include "engine/ConversionJob.h"
#include "engine/Encoder.h"
#include "engine/PcmFeed.h"

#include <algorithm>
#include <array>
#include <exception>

namespace {

constexpr std::uint32_t BlockBytes = 10240;

// Closes the encoder on every way out; Close reports whether the file was
// completed.
class WmaOutput {
public:
    explicit WmaOutput(AudioLibrary::Handle handle) : handle_(handle) {}
    ~WmaOutput() { Close(); }
    WmaOutput(const WmaOutput&) = delete;
    WmaOutput& operator=(const WmaOutput&) = delete;

    bool Close()
    {
        const bool closed = handle_ != 0 && AudioLibrary::WmaEncodeClose(handle_);
        handle_ = 0;
        return closed;
    }

    AudioLibrary::Handle Handle() const { return handle_; }

private:
    AudioLibrary::Handle handle_;
};

std::string WmaRateError(int code)
{
    switch (code) {
    case AudioLibrary::ErrorNoWmaCodec:
        return "Sorry , seams that No WMA-Code is installed";
    case AudioLibrary::ErrorNotSupported:
        return "Your installed Codec will not support the specified sample format";
    default:
        return "undefined Error";
    }
}

// Feeds the decoded stream to a new encoder; false when the encoder cannot
// be opened or the output cannot be written, with the reason in ErrorText.
// Gives the PCM bytes fed in decoded, and whether the decoder reached its
// end in ended.
bool FeedWmaEncoder(TConversionJob& job, AudioLibrary::Handle channel, std::uint64_t& decoded, bool& ended)
{
    const std::uint32_t rate = job.WmaVbr ? std::uint32_t(job.WmaBitrate) : std::uint32_t(job.WmaBitrate) * 1000;
    const std::filesystem::path& target = job.PartFile.empty() ? job.OutputFile : job.PartFile;
    WmaOutput output(AudioLibrary::WmaEncodeOpenFile(std::uint32_t(job.WmaSampleRate), std::uint32_t(job.WmaChannels),
                                                     AudioLibrary::WmaFlagTags, rate, target));
    AudioLibrary::ChannelInfo info;
    if (output.Handle() == 0 || !AudioLibrary::ChannelGetInfo(channel, info) ||
        !AudioLibrary::WmaEncodeSetSource(output.Handle(), info.freq, info.chans)) {
        job.ErrorText = "The WMA encoder cannot be opened for this sample rate and bit rate";
        return false;
    }
    std::array<char, BlockBytes> buffer;
    bool written = true;
    while (written && AudioLibrary::ChannelIsActive(channel)) {
        const std::int32_t n = AudioLibrary::ChannelGetData(channel, buffer.data(), BlockBytes);
        if (n < 0) {
            job.ErrorText = "decode data error!";
            return false;
        }
        written = n == 0 || AudioLibrary::WmaEncodeWrite(output.Handle(), buffer.data(), std::uint32_t(n));
        decoded += std::uint64_t(n);
        if (job.Cancelled) {
            job.ErrorText = "Operation is cancelled";
            break;
        }
        job.Percent = std::min(engine::DecodeProgress(channel, 100), 99);
    }
    ended = !job.Cancelled && written;
    job.Percent = 100;
    written = output.Close() && written;
    if (!written)
        job.ErrorText = "write data error!";
    return written;
}

}  // namespace

bool TConversionJob::EncodeWma()
{
    if (!OpenDecoder())
        return false;
    bool succeeded = false;
    std::uint64_t decoded = 0;
    try {
        succeeded = FeedWmaEncoder(*this, Channel, decoded, decodeEnded_);
    } catch (const std::exception& error) {
        ErrorText = error.what();
    }
    CountDecoded(decoded);
    CloseDecoder();
    Decoded = succeeded;
    return succeeded && !Cancelled;
}

bool TEncoder::GetWmaRates(int sampleRate, std::vector<std::string>& list, bool vbr, std::string& errorText)
{
    const std::vector<std::uint32_t> rates = AudioLibrary::WmaEncodeGetRates(
        sampleRate > 0 ? std::uint32_t(sampleRate) : 0, 2, vbr ? AudioLibrary::WmaFlagVbrQualities : 0);
    if (rates.empty()) {
        errorText = WmaRateError(AudioLibrary::ErrorGetCode());
        return false;
    }
    list.clear();
    for (const std::uint32_t rate : rates)
        list.push_back(vbr ? std::to_string(rate) : std::to_string(rate / 1000) + "Kbps");
    return true;
}
