// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/PcmFeed.h"

#include <algorithm>

#include "engine/WavHeader.h"

namespace engine {
namespace {

constexpr std::uint32_t BlockBytes = 65536;

}  // namespace

std::int32_t DecodeProgress(AudioLibrary::Handle channel, std::int32_t scale)
{
    const std::uint64_t length = AudioLibrary::ChannelGetLength(channel);
    if (length == 0)
        return 0;
    const std::uint64_t position = AudioLibrary::ChannelGetPosition(channel);
    return std::int32_t(std::min(double(position) * scale / double(length), double(scale)));
}

PcmFeed::PcmFeed(AudioLibrary::Handle channel, bool unknownLength)
    : channel_(channel), unknownLength_(unknownLength)
{
}

bool PcmFeed::Next(std::vector<std::uint8_t>& block)
{
    block.clear();
    if (!headerSent_) {
        headerSent_ = true;
        AudioLibrary::ChannelInfo info;
        AudioLibrary::ChannelGetInfo(channel_, info);
        auto header = WavHeader(info, AudioLibrary::ChannelGetRate(channel_));
        SetWavLengths(header, unknownLength_ ? WavDataLimit + 1 : AudioLibrary::ChannelGetLength(channel_));
        block.assign(header.begin(), header.end());
        return true;
    }
    if (failed_)
        return false;
    if (!AudioLibrary::ChannelIsActive(channel_)) {
        ended_ = true;
        return false;
    }
    block.resize(BlockBytes);
    const std::int32_t got = AudioLibrary::ChannelGetData(channel_, block.data(), BlockBytes);
    if (got < 0) {
        failed_ = true;
        block.clear();
        return false;
    }
    block.resize(std::size_t(got));
    dataBytes_ += std::uint64_t(got);
    return true;
}

}  // namespace engine
