// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/WavHeader.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace engine {
namespace {

// Chunks before the data chunk (format, lists) fit well within this.
constexpr std::size_t HeaderSearchBytes = 65536;

std::uint32_t GetLe32(const std::uint8_t* at)
{
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
}

}  // namespace

void PutLe(std::uint8_t* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

std::vector<std::uint8_t> WavHeader(const AudioLibrary::ChannelInfo& info, std::uint32_t rate)
{
    const std::uint32_t channels = info.chans == 0 ? 2 : info.chans;
    const std::uint32_t bits = (info.flags & AudioLibrary::InfoFlag8Bits) ? 8 : info.bits;
    const std::uint32_t blockAlign = channels * bits / 8;
    // Extensible as Microsoft asks for more than 16 bits or two channels.
    const bool extensible = bits > 16 || channels > 2;
    const std::uint32_t formatBytes = extensible ? 40 : 16;
    std::vector<std::uint8_t> header(extensible ? ExtensibleWavHeaderBytes : WavHeaderBytes);
    std::memcpy(header.data(), "RIFF\0\0\0\0WAVEfmt ", 16);
    PutLe(&header[16], formatBytes, 4);
    PutLe(&header[20], extensible ? 0xFFFE : 1, 2);
    PutLe(&header[22], channels, 2);
    PutLe(&header[24], rate, 4);
    PutLe(&header[28], blockAlign * rate, 4);
    PutLe(&header[32], blockAlign, 2);
    PutLe(&header[34], bits, 2);
    if (extensible) {
        PutLe(&header[36], 22, 2);
        PutLe(&header[38], bits, 2);
        PutLe(&header[40], info.channelMask, 4);
        // The PCM sub-format GUID.
        static constexpr std::uint8_t Pcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        std::memcpy(&header[44], Pcm, sizeof Pcm);
    }
    std::memcpy(&header[20 + formatBytes], "data", 4);
    return header;
}

void SetWavLengths(std::vector<std::uint8_t>& header, std::uint64_t dataBytes)
{
    const bool known = dataBytes <= WavDataLimit;
    PutLe(&header[4], known ? std::uint32_t(dataBytes + header.size() - 8) : UnknownWavLength, 4);
    PutLe(&header[header.size() - 4], known ? std::uint32_t(dataBytes) : UnknownWavLength, 4);
}

std::uint32_t DeclaredWavDataBytes(const std::filesystem::path& file)
{
    std::vector<std::uint8_t> head(HeaderSearchBytes);
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(std::size_t(in.gcount()));
    if (head.size() < 12 || std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(&head[8], "WAVE", 4) != 0)
        return 0;
    for (std::size_t at = 12; at + 8 <= head.size();) {
        const std::uint32_t size = GetLe32(&head[at + 4]);
        if (std::memcmp(&head[at], "data", 4) == 0)
            return size == UnknownWavLength ? 0 : size;
        at += 8 + std::size_t(size) + (size & 1);
    }
    return 0;
}

}  // namespace engine
