// SPDX-License-Identifier: GPL-3.0-or-later
// A WMA job: the decoded input fed to the audio library's WMA encoder, and
// the query of the rates that encoder offers.

#include "engine/ConversionJob.h"
#include "engine/Encoder.h"
#include "engine/PcmSink.h"

namespace {

// Closes the encoder on every way out; Close reports whether the file was
// completed.
class WmaSink : public engine::PcmSink {
public:
    explicit WmaSink(AudioLibrary::Handle handle) : handle_(handle) {}
    ~WmaSink() override { Close(); }
    WmaSink(const WmaSink&) = delete;
    WmaSink& operator=(const WmaSink&) = delete;

    bool Write(const std::uint8_t* data, std::size_t bytes) override
    {
        return AudioLibrary::WmaEncodeWrite(handle_, data, std::uint32_t(bytes));
    }

    bool Close() override
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

}  // namespace

bool TConversionJob::EncodeWma()
{
    return EncodeInProcess([this](AudioLibrary::Handle channel) -> std::unique_ptr<engine::PcmSink> {
        const std::uint32_t rate = WmaVbr ? std::uint32_t(WmaBitrate) : std::uint32_t(WmaBitrate) * 1000;
        auto sink = std::make_unique<WmaSink>(AudioLibrary::WmaEncodeOpenFile(
            std::uint32_t(WmaSampleRate), std::uint32_t(WmaChannels), AudioLibrary::WmaFlagTags, rate,
            PartFile.empty() ? OutputFile : PartFile));
        AudioLibrary::ChannelInfo info;
        if (sink->Handle() != 0 && AudioLibrary::ChannelGetInfo(channel, info) &&
            AudioLibrary::WmaEncodeSetSource(sink->Handle(), info.freq, info.chans))
            return sink;
        ErrorText = "The WMA encoder cannot be opened for this sample rate and bit rate";
        return nullptr;
    });
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
