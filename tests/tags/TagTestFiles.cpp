// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagTestFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "support/TestAudio.h"

namespace fs = std::filesystem;

namespace tagtest {
namespace {

std::string SynchsafeBytes(std::size_t value)
{
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

std::string BigEndian(std::size_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string Padded(const std::string& text, std::size_t length, char pad)
{
    std::string out = text.substr(0, length);
    out.resize(length, pad);
    return out;
}

}  // namespace

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string ToneBytes()
{
    static const std::string bytes = ReadFile(testaudio::Get("tone.mp3"));
    return bytes;
}

fs::path CopyTone(const testsupport::TempFolder& folder, const std::string& name)
{
    const fs::path path = folder / name;
    WriteFile(path, ToneBytes());
    return path;
}

std::string ID3v1(const std::string& title, const std::string& comment, unsigned char b125, unsigned char b126,
                  unsigned char genre, char pad)
{
    std::string tag = "TAG" + Padded(title, 30, pad) + Padded("Artist", 30, pad) + Padded("Album", 30, pad) +
                      "1999" + Padded(comment, 28, pad);
    return tag + static_cast<char>(b125) + static_cast<char>(b126) + static_cast<char>(genre);
}

std::string Frame23(const std::string& id, const std::string& data, std::uint8_t format)
{
    return id + BigEndian(data.size(), 4) + '\0' + static_cast<char>(format) + data;
}

std::string Frame24(const std::string& id, const std::string& data, std::uint8_t format)
{
    return id + SynchsafeBytes(data.size()) + '\0' + static_cast<char>(format) + data;
}

std::string Frame22(const std::string& id, const std::string& data)
{
    return id + BigEndian(data.size(), 3) + data;
}

std::string ID3v2(std::uint8_t version, const std::string& body, std::size_t padding, std::uint8_t flags)
{
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           SynchsafeBytes(body.size() + padding) + body + std::string(padding, '\0');
}

int RunProgram(const std::vector<std::string>& argv, std::string* output)
{
    return testaudio::Run(argv, output);
}

std::string Mutagen(const std::string& script, const fs::path& file)
{
    std::string output;
    const std::string program = "import sys, mutagen.id3 as id3\n" + script;
    if (RunProgram({"/usr/bin/python3", "-c", program, file.string()}, &output) != 0)
        throw std::runtime_error("mutagen failed: " + output);
    return output;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Missing(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::string> missing;
    for (const std::string& line : a) {
        if (std::find(b.begin(), b.end(), line) == b.end())
            missing.push_back(line);
    }
    return missing;
}

}  // namespace tagtest
