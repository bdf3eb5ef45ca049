// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Running the built faac and ssrc programs, and WAV images made byte by
// byte for the header cases the ffmpeg program does not write.

#include "support/TestAudio.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace toolstest {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

inline ToolRun RunTool(const std::string& tool, std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(TREMOLIX_TOOLS_BIN) + "/tremolix-" + tool);
    ToolRun run;
    run.exitCode = testaudio::Run(args, &run.output);
    return run;
}

// The percentages printed, in order: the digits right before each "%".
inline std::vector<int> Percentages(const std::string& output)
{
    std::vector<int> found;
    for (std::size_t percent = output.find('%'); percent != std::string::npos; percent = output.find('%', percent + 1)) {
        std::size_t start = percent;
        while (start > 0 && std::isdigit(static_cast<unsigned char>(output[start - 1])))
            --start;
        if (start < percent)
            found.push_back(std::stoi(output.substr(start, percent - start)));
    }
    return found;
}

// The presets shipped for a format (name, options split at spaces), read
// from the program folder's presets.ini.
inline std::vector<std::pair<std::string, std::vector<std::string>>> ShippedPresets(const std::string& format)
{
    std::ifstream in(testaudio::BuildProgramFolder() / "Preset" / format / "presets.ini");
    std::vector<std::pair<std::string, std::vector<std::string>>> presets;
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::vector<std::string> words;
        std::istringstream options(line.substr(eq + 1));
        for (std::string word; options >> word;)
            words.push_back(word);
        presets.emplace_back(line.substr(0, eq), words);
    }
    return presets;
}

// The names in a folder, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Le(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

// "fmt " body: tag, channels, rate, byte rate, block align, bits.
inline std::string FmtBody(int tag, int channels, int rate, int bits)
{
    const int align = channels * bits / 8;
    return Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) + Le(bits, 2);
}

// A RIFF WAVE image of the chunks (id, body), odd bodies padded. dataSize
// overrides the size declared for "data" when given.
inline std::string WavImage(const std::vector<std::pair<std::string, std::string>>& chunks,
                            std::int64_t dataSize = -1)
{
    std::string body = "WAVE";
    for (const auto& [id, content] : chunks) {
        const bool overridden = id == "data" && dataSize >= 0;
        body += id + Le(overridden ? std::uint32_t(dataSize) : std::uint32_t(content.size()), 4) + content;
        if (content.size() % 2)
            body += '\0';
    }
    return "RIFF" + Le(std::uint32_t(body.size()), 4) + body;
}

// Interleaved 16-bit samples as little-endian bytes.
inline std::string Pcm16(const std::vector<short>& samples)
{
    std::string out;
    for (const short s : samples)
        out += Le(std::uint16_t(s), 2);
    return out;
}

}  // namespace toolstest
