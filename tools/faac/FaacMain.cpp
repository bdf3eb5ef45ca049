// SPDX-License-Identifier: GPL-3.0-or-later
// WAV to AAC: faac [-q N | -b N] [-c HZ] [-w] [--mpeg-vers 2|4] [--ignore-length] -o OUTFILE INFILE
// Reads 16-bit PCM (INFILE "-": standard input), writes ADTS (".aac") or MP4
// (".m4a", ".mp4", -w) and prints "NN%" progress lines where the length is
// known. Exit 0 on success, 1 on failure, 2 on a bad
// command line.

#include "faac/AacEncoder.h"
#include "faac/AacMuxer.h"
#include "faac/AacSettings.h"
#include "wavio/Progress.h"
#include "wavio/SampleCodec.h"
#include "wavio/WavReader.h"

#include <cstdio>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr const char* Usage =
    "usage: faac [-q QUALITY | -b KBIT] [-c HZ] [-w] [--mpeg-vers 2|4] [--tns | --no-tns] [--no-midside] "
    "[--ignore-length] -o OUTFILE INFILE|-";

int Fail(const std::string& text)
{
    std::fprintf(stderr, "faac: %s\n", text.c_str());
    return 1;
}

bool CheckInput(const wavio::WavFormat& format, std::string& error)
{
    if (format.kind == wavio::SampleKind::Integer && format.bitsPerSample == 16)
        return true;
    error = "only 16-bit PCM WAV input is accepted";
    return false;
}

bool EncodeAll(wavio::WavReader& reader, faac::AacEncoder& encoder, faac::AacMuxer& muxer, std::string& error)
{
    const wavio::WavFormat& format = reader.Format();
    const int frameSize = encoder.FrameSize();
    std::vector<std::uint8_t> raw(std::size_t(frameSize) * std::size_t(format.BlockAlign()));
    std::vector<float> samples(std::size_t(frameSize) * std::size_t(format.channels));
    const faac::AacEncoder::PacketSink sink = [&](AVPacket* packet, std::string& e) {
        return muxer.Write(packet, e);
    };
    wavio::Progress progress(reader.ExpectedFrames(), false);
    std::uint64_t done = 0;
    while (const std::size_t frames = reader.Read(raw.data(), std::size_t(frameSize))) {
        wavio::DecodeSamples(raw.data(), frames * std::size_t(format.channels), format, samples.data());
        if (!encoder.Encode(samples.data(), int(frames), sink, error))
            return false;
        progress.Update(done += frames);
    }
    if (reader.Failed()) {
        error = "reading the input failed";
        return false;
    }
    if (!encoder.Flush(sink, error) || !muxer.Finish(error))
        return false;
    progress.Finish();
    return true;
}

int Convert(const faac::AacSettings& settings)
{
    std::string error;
    wavio::WavReader reader;
    if (!reader.Open(settings.input, settings.ignoreLength, error) || !CheckInput(reader.Format(), error))
        return Fail("cannot read " + wavio::InputName(settings.input) + ": " + error);
    const char* muxerName = faac::MuxerName(settings);
    faac::AacEncoder encoder;
    faac::AacMuxer muxer;
    if (!encoder.Open(reader.Format(), settings, faac::NeedsGlobalHeader(muxerName), error))
        return Fail(error);
    if (!muxer.Open(settings.output, muxerName, encoder.Context(), settings.mpegVersion == 2, error))
        return Fail("cannot write " + settings.output.string() + ": " + error);
    if (!EncodeAll(reader, encoder, muxer, error))
        return Fail(settings.output.string() + ": " + error);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto settings = faac::ParseAacSettings(argc, argv, error);
    if (!settings) {
        std::fprintf(stderr, "faac: %s\n%s\n", error.c_str(), Usage);
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);
    return Convert(*settings);
}
