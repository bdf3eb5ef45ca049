// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs whose encoder runs inside the process: the decoded input fed
// straight to it, and the Apple Lossless output, FFmpeg's alac encoder in an
// M4A file.

#include "engine/ConversionJob.h"
#include "engine/FileEncoder.h"
#include "engine/PcmFeed.h"
#include "engine/PcmSink.h"

#include <algorithm>
#include <array>
#include <exception>

namespace {

constexpr std::uint32_t BlockBytes = 10240;

class AlacSink : public engine::PcmSink {
public:
    bool Write(const std::uint8_t* data, std::size_t bytes) override { return encoder.Write(data, bytes); }
    bool Close() override { return encoder.Close(); }

    engine::FileEncoder encoder;
};

std::string AlacOpenError(engine::FileEncoder::OpenResult result, const TConversionJob& job)
{
    using Result = engine::FileEncoder::OpenResult;
    switch (result) {
    case Result::NoCodec:
        return "This FFmpeg has no Apple Lossless encoder";
    case Result::NotSupported:
        return "The Apple Lossless encoder refuses the options \"" + job.Options + "\"";
    case Result::FileOpen:
        return "Can't create the output file \"" + job.OutputFile.string() + "\"";
    case Result::Ok:
    case Result::Failed:
        break;
    }
    return "The Apple Lossless encoder cannot be opened";
}

// The decode's own depth and speakers; 24 bits travel in the top of 32.
engine::FileEncoderSettings AlacSettings(const AudioLibrary::ChannelInfo& info, const std::string& options)
{
    engine::FileEncoderSettings settings;
    settings.codec = AV_CODEC_ID_ALAC;
    settings.muxer = "ipod";  // the M4A flavour of MP4
    settings.sampleFormat = info.bits > 16 ? AV_SAMPLE_FMT_S32P : AV_SAMPLE_FMT_S16P;
    settings.bitsPerRawSample = info.bits > 16 ? 24 : 0;
    settings.rate = info.freq;
    settings.channels = info.chans;
    settings.channelMask = info.channelMask;
    settings.options = options;
    return settings;
}

std::string LayoutName(const AVChannelLayout& layout)
{
    char name[64] = "";
    av_channel_layout_describe(&layout, name, sizeof name);
    return name;
}

// Apple Lossless has one layout per channel count: the samples keep their
// order, and a source placed otherwise is said to be placed as the format's.
// "" when the source's layout is the stored one.
std::string RelabelNote(std::uint32_t sourceMask, const AVChannelLayout& stored)
{
    AVChannelLayout source{};
    if (sourceMask == 0 || av_channel_layout_from_mask(&source, sourceMask) < 0 ||
        av_channel_layout_compare(&source, &stored) == 0)
        return "";
    return "channel layout " + LayoutName(source) + " stored as " + LayoutName(stored);
}

}  // namespace

bool TConversionJob::EncodeInProcess(const SinkOpener& open)
{
    if (!OpenDecoder())
        return false;
    bool succeeded = false;
    std::uint64_t decoded = 0;
    try {
        if (const std::unique_ptr<engine::PcmSink> sink = open(Channel))
            succeeded = FeedSink(*sink, decoded);
    } catch (const std::exception& error) {
        ErrorText = error.what();
    }
    CountDecoded(decoded);
    CloseDecoder();
    Decoded = succeeded;
    return succeeded && !Cancelled;
}

// False when the output cannot be written or the decode fails, with the
// reason in ErrorText.
bool TConversionJob::FeedSink(engine::PcmSink& sink, std::uint64_t& decoded)
{
    std::array<char, BlockBytes> buffer;
    bool written = true;
    while (written && AudioLibrary::ChannelIsActive(Channel)) {
        const std::int32_t n = AudioLibrary::ChannelGetData(Channel, buffer.data(), BlockBytes);
        if (n < 0) {
            ErrorText = "decode data error!";
            return false;
        }
        written = n == 0 || sink.Write(reinterpret_cast<const std::uint8_t*>(buffer.data()), std::size_t(n));
        decoded += std::uint64_t(n);
        if (Cancelled) {
            ErrorText = "Operation is cancelled";
            break;
        }
        Percent = std::min(engine::DecodeProgress(Channel, 100), 99);
    }
    decodeEnded_ = !Cancelled && written;
    Percent = 100;
    written = sink.Close() && written;
    if (!written)
        ErrorText = "write data error!";
    return written;
}

bool TConversionJob::EncodeAlac()
{
    return EncodeInProcess([this](AudioLibrary::Handle channel) -> std::unique_ptr<engine::PcmSink> {
        AudioLibrary::ChannelInfo info;
        auto sink = std::make_unique<AlacSink>();
        auto result = engine::FileEncoder::OpenResult::Failed;
        if (AudioLibrary::ChannelGetInfo(channel, info))
            result = sink->encoder.Open(AlacSettings(info, Options), PartFile.empty() ? OutputFile : PartFile);
        if (result == engine::FileEncoder::OpenResult::Ok && sink->encoder.SetSource(info.freq, info.chans, info.bits)) {
            const std::string relabelled = RelabelNote(info.channelMask, sink->encoder.ChannelLayout());
            if (!relabelled.empty())
                Note += (Note.empty() ? "" : "; ") + relabelled;
            return sink;
        }
        ErrorText = AlacOpenError(result, *this);
        return nullptr;
    });
}
