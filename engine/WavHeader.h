// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 44-byte header of a 16-bit PCM WAV file or stream, and the data size
// any RIFF WAVE file's header declares.

#include <array>
#include <cstdint>
#include <filesystem>

#include "engine/AudioLibrary.h"

namespace engine {

constexpr std::size_t WavHeaderBytes = 44;
// The most PCM bytes the header's 32-bit sizes can describe.
constexpr std::uint64_t WavDataLimit = 0xFFFFFFFFull - (WavHeaderBytes - 8);
// A data size of all ones: readers that honour it read to the end.
constexpr std::uint32_t UnknownWavLength = 0xFFFFFFFF;

std::array<std::uint8_t, WavHeaderBytes> WavHeader(const AudioLibrary::ChannelInfo& info, std::uint32_t rate);
// Sets the header's RIFF and data sizes; beyond WavDataLimit both say unknown.
void SetWavLengths(std::array<std::uint8_t, WavHeaderBytes>& header, std::uint64_t dataBytes);
void PutLe(std::uint8_t* at, std::uint32_t value, int bytes);

// The size of the file's data chunk as its header declares it, whatever the
// file holds; 0 when it is no RIFF WAVE file, has no data chunk near its
// start, or declares the size unknown.
std::uint32_t DeclaredWavDataBytes(const std::filesystem::path& file);

}  // namespace engine
