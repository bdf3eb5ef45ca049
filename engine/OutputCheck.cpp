// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OutputCheck.h"

#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

#include "engine/Encoder.h"

namespace engine {
namespace {

// The longest frame of the formats written here (Vorbis long blocks), plus
// the encoder delay that some decoders keep.
constexpr double FrameSamples = 8192;
constexpr std::uint32_t BlockBytes = 65536;

std::string Seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return text;
}

}  // namespace

bool VerifyOutput(const std::filesystem::path& output, double seconds, std::string& why)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(output, ec);
    if (ec || size == 0) {
        why = ec ? "the output is missing" : "the output is empty";
        return false;
    }
    const AudioLibrary::Handle channel = TEncoder::OpenInput(output, AudioLibrary::FlagDecodeOnly, false, nullptr);
    if (channel == 0) {
        why = "the output does not decode";
        return false;
    }
    AudioLibrary::ChannelInfo info;
    AudioLibrary::ChannelGetInfo(channel, info);
    const double rate = AudioLibrary::ChannelGetRate(channel);
    const double frameBytes = info.chans == 1 ? 2 : 4;
    std::vector<std::uint8_t> block(BlockBytes);
    std::uint64_t bytes = 0;
    bool failed = false;
    while (!failed && AudioLibrary::ChannelIsActive(channel)) {
        const std::int32_t got = AudioLibrary::ChannelGetData(channel, block.data(), BlockBytes);
        failed = got < 0;
        bytes += failed ? 0 : std::uint64_t(got);
    }
    TEncoder::FreeChannel(channel);
    const double decoded = rate > 0 ? double(bytes) / frameBytes / rate : 0;
    if (failed || std::fabs(decoded - seconds) * rate > FrameSamples) {
        why = failed ? "the output does not decode to its end"
                     : "the output holds " + Seconds(decoded) + " of " + Seconds(seconds);
        return false;
    }
    return true;
}

}  // namespace engine
