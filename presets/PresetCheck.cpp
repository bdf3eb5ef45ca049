// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/PresetCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

#include "platform/IniFile.h"
#include "presets/Mp3Settings.h"

namespace fs = std::filesystem;

namespace presets {
namespace {

// Presets are a few hundred bytes; anything this large is not one.
constexpr std::size_t MaxPresetBytes = 1 << 20;

constexpr std::string_view Blanks = " \t\r\v\f";

// The whole file into text; the reason when it cannot be read.
std::string ReadWhole(const fs::path& file, std::string& text)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::string("it can't be read: ") + std::strerror(errno);
    std::string problem;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            problem = std::string("it can't be read: ") + std::strerror(errno);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
        if (text.size() > MaxPresetBytes) {
            problem = "it is too large for a preset file";
            break;
        }
    }
    ::close(fd);
    return problem;
}

bool IsTextByte(unsigned char c) { return c >= 0x20 || c == '\n' || Blanks.find(char(c)) != std::string_view::npos; }

std::string_view Trimmed(std::string_view line)
{
    const auto first = line.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(Blanks) - first + 1);
}

bool IsIniLine(std::string_view line)
{
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#')
        return true;
    if (trimmed.front() == '[')
        return trimmed.find(']') != std::string_view::npos;
    const auto equals = trimmed.find('=');
    return equals != std::string_view::npos && !Trimmed(trimmed.substr(0, equals)).empty();
}

template <typename T>
std::optional<T> Parsed(const platform::IniFile& ini, const char* section, const char* key,
                        T (*parse)(const std::string&))
{
    const std::optional<std::string> text = PresetText(ini, section, key);
    if (!text)
        return std::nullopt;
    try {
        return parse(*text);
    } catch (const PresetError& error) {
        throw PresetError(std::string("[") + section + "] " + key + ": " + error.what());
    }
}

}  // namespace

std::string PresetFileProblem(const fs::path& file)
{
    std::string text;
    if (std::string problem = ReadWhole(file, text); !problem.empty())
        return problem;
    for (const char c : text)
        if (!IsTextByte(static_cast<unsigned char>(c)))
            return "it is not a text file";
    std::size_t number = 1;
    for (std::size_t start = 0; start < text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (!IsIniLine(std::string_view(text).substr(start, end - start)))
            return "line " + std::to_string(number) + " is neither a [section] nor a key=value setting";
        start = end + 1;
    }
    return {};
}

void ReadPresetFile(const fs::path& file, const std::function<void(const platform::IniFile&)>& read)
{
    try {
        if (const std::string problem = PresetFileProblem(file); !problem.empty())
            throw PresetError(problem);
        read(platform::IniFile(file));
    } catch (const PresetError& error) {
        throw PresetError("\"" + file.string() + "\": " + error.what());
    }
}

std::optional<std::string> PresetText(const platform::IniFile& ini, const char* section, const char* key)
{
    if (!ini.KeyExists(section, key))
        return std::nullopt;
    return ini.ReadString(section, key, "");
}

std::optional<std::int32_t> PresetInteger(const platform::IniFile& ini, const char* section, const char* key)
{
    return Parsed<std::int32_t>(ini, section, key, ParsePresetInteger);
}

std::optional<double> PresetReal(const platform::IniFile& ini, const char* section, const char* key)
{
    return Parsed<double>(ini, section, key, ParsePresetReal);
}

std::string PresetRefusal(const std::string& presetName, const std::string& reason)
{
    return "The preset \"" + presetName + "\" can't be used: " + reason;
}

}  // namespace presets
