// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OutputCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "engine/Encoder.h"
#include "engine/MediaSource.h"
#include "platform/SafeRewrite.h"

namespace engine {
namespace {

using AudioLibrary::internal::MediaSource;

// The longest frame of the formats written here (Vorbis long blocks), plus
// the encoder delay that some decoders keep.
constexpr double FrameSamples = 8192;
constexpr std::uint32_t BlockBytes = 65536;
// More than any encoder's last write, so a full disk refuses it.
constexpr std::size_t ProbeBytes = 65536;

std::string Seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return text;
}

// The output's span from its packets, or from a decode where they carry no
// timestamps; nullopt with why set when it cannot be read.
std::optional<MediaSource::PacketSpan> MeasureOutput(const std::filesystem::path& output, double& rate,
                                                     std::string& why)
{
    int error = 0;
    std::unique_ptr<MediaSource> source = MediaSource::Open(output, error);
    if (!source) {
        why = "the output does not decode";
        return std::nullopt;
    }
    rate = source->Stream().codecpar->sample_rate;
    std::optional<MediaSource::PacketSpan> span = source->MeasurePackets();
    source.reset();
    if (span)
        return span;
    if (const std::optional<double> decoded = DecodedSeconds(output))
        return MediaSource::PacketSpan{*decoded, 0};
    why = "the output does not decode to its end";
    return std::nullopt;
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
    double rate = 0;
    const std::optional<MediaSource::PacketSpan> span = MeasureOutput(output, rate, why);
    if (!span)
        return false;
    const double frame = FrameSamples / (rate > 0 ? rate : 44100);
    if (span->seconds < seconds - frame || span->seconds > seconds + frame + span->longestPacket) {
        why = "the output holds " + Seconds(span->seconds) + " of " + Seconds(seconds);
        return false;
    }
    return true;
}

std::optional<double> DecodedSeconds(const std::filesystem::path& file)
{
    const AudioLibrary::Handle channel = TEncoder::OpenInput(file, AudioLibrary::FlagDecodeOnly, false, nullptr);
    if (channel == 0)
        return std::nullopt;
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
    if (failed)
        return std::nullopt;
    return rate > 0 ? double(bytes) / frameBytes / rate : 0;
}

std::string WriteFailure(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    const std::vector<char> probe(ProbeBytes, '\x5a');
    const bool written = platform::WriteAt(fd, probe.data(), probe.size(), std::uint64_t(info.st_size)) &&
                         ::fdatasync(fd) == 0;
    const int error = errno;
    if (::ftruncate(fd, info.st_size) != 0) {
        // The file is a failed job's part, removed right after.
    }
    ::close(fd);
    return written ? std::string() : std::strerror(error);
}

}  // namespace engine
