// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The header of a PCM WAV file or stream, and the data size any RIFF WAVE
// file's header declares.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "engine/AudioLibrary.h"

namespace engine {

// The plain header of 16-bit mono or stereo, and the extensible one that
// more bits or channels need (with their channel mask).
constexpr std::size_t WavHeaderBytes = 44;
constexpr std::size_t ExtensibleWavHeaderBytes = 68;
// The most PCM bytes the header's 32-bit sizes can describe.
constexpr std::uint64_t WavDataLimit = 0xFFFFFFFFull - (ExtensibleWavHeaderBytes - 8);
// A data size of all ones: readers that honour it read to the end.
constexpr std::uint32_t UnknownWavLength = 0xFFFFFFFF;

std::vector<std::uint8_t> WavHeader(const AudioLibrary::ChannelInfo& info, std::uint32_t rate);
// Sets the header's RIFF and data sizes; beyond WavDataLimit both say unknown.
void SetWavLengths(std::vector<std::uint8_t>& header, std::uint64_t dataBytes);
void PutLe(std::uint8_t* at, std::uint32_t value, int bytes);

// The size of the file's data chunk as its header declares it, whatever the
// file holds; 0 when it is no RIFF WAVE file, has no data chunk near its
// start, or declares the size unknown.
std::uint32_t DeclaredWavDataBytes(const std::filesystem::path& file);

}  // namespace engine
