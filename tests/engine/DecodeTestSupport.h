// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the decoding tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/AudioLibrary.h"
#include "support/TestAudio.h"

namespace decodetest {

// Everything a stream delivers, in the blocks the decode phase asks for.
inline std::vector<short> ReadAll(AudioLibrary::Handle handle)
{
    std::vector<short> samples;
    std::vector<short> block(5120);
    while (AudioLibrary::ChannelIsActive(handle)) {
        const std::int32_t got = AudioLibrary::ChannelGetData(handle, block.data(), 10240);
        if (got < 0)
            break;
        samples.insert(samples.end(), block.begin(), block.begin() + got / 2);
    }
    return samples;
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::uint32_t Le(const std::string& bytes, std::size_t offset, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes.at(offset + std::size_t(i)));
    return value;
}

// A VBR MP3 without a Xing/Info frame, whose length is only an estimate.
inline std::filesystem::path MakeMp3WithoutInfoFrame(const std::filesystem::path& folder)
{
    const std::filesystem::path mp3 = folder / "noinfo.mp3";
    testaudio::Run({"lame", "--quiet", "-t", "-V", "0", testaudio::Get("stereo.wav").string(), mp3.string()});
    return mp3;
}

// Two MP3 files end to end: 2 s stereo at 44100 Hz, then 1 s mono at 22050 Hz.
inline std::filesystem::path MakeShapeChangingMp3(const std::filesystem::path& folder)
{
    const std::filesystem::path second = folder / "second.mp3";
    testaudio::Run({"lame", "--quiet", "-t", testaudio::Get("mono22050.wav").string(), second.string()});
    const std::filesystem::path joined = folder / "joined.mp3";
    WriteFile(joined, ReadFile(testaudio::Get("tone.mp3")) + ReadFile(second));
    return joined;
}

}  // namespace decodetest
