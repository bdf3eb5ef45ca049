// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisFiles.h"

#include "support/TestAudio.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace analysistest {

fs::path CopyAudio(const testsupport::TempFolder& folder, const std::string& audio, const std::string& name)
{
    const fs::path target = folder / name;
    fs::copy_file(testaudio::Get(audio), target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    return target;
}

ByteString ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return ByteString(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const ByteString& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Tool(const std::vector<std::string>& argv)
{
    std::string output;
    const int code = testaudio::Run(argv, &output);
    EXPECT_EQ(code, 0) << argv.front() << ": " << output;
    return output;
}

std::vector<std::string> ToolLines(const std::vector<std::string>& argv)
{
    std::istringstream output(Tool(argv));
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);)
        lines.push_back(line);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

namespace {

ByteString BigEndian32(std::size_t value, bool synchsafe)
{
    ByteString out(4, '\0');
    for (int i = 3; i >= 0; --i) {
        out[std::size_t(i)] = char(value & (synchsafe ? 0x7F : 0xFF));
        value >>= synchsafe ? 7 : 8;
    }
    return out;
}

}  // namespace

ByteString Id3v2Tag(const std::string& title, std::size_t size)
{
    ByteString frame = "TIT2" + BigEndian32(title.size() + 1, false) + ByteString(2, '\0');
    frame += '\0' + title;
    const std::size_t body = std::max(frame.size(), size > 10 ? size - 10 : 0);
    frame.resize(body, '\0');
    return ByteString("ID3\x03\x00\x00", 6) + BigEndian32(body, true) + frame;
}

ByteString Id3v1Tag(const std::string& title)
{
    ByteString tag = "TAG" + title;
    tag.resize(128, '\0');
    tag[127] = char(255);
    return tag;
}

}  // namespace analysistest
