// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniFile.h"

#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() == b.size() && a == b)
        return true;
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

bool IsComment(const std::string& trimmed)
{
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The name of a "[name]" line.
bool SectionOfLine(const std::string& line, std::string& name)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return false;
    const auto close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// The key of a "key=value" line; comments and section lines have none.
bool KeyOfLine(const std::string& line, std::string& key)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || IsComment(trimmed) || trimmed.front() == '[')
        return false;
    const auto equals = trimmed.find('=');
    if (equals == std::string::npos)
        return false;
    key = Trim(trimmed.substr(0, equals));
    return !key.empty();
}

std::string ValueOfLine(const std::string& line)
{
    std::string value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// A value whose ends the reader would strip (blanks, or a pair of quotes)
// goes in quotes, so it reads back as written.
std::string Quoted(const std::string& value)
{
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted || Trim(value) != value ? '"' + value + '"' : value;
}

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

bool WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A symbolic link keeps pointing at the settings: the file behind it is the
// one replaced.
fs::path FileBehind(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        fs::path target = fs::canonical(path, ec);
        if (!ec)
            return target;
    }
    return path;
}

}  // namespace

IniFile::IniFile(fs::path path) : path_(std::move(path))
{
    std::error_code ec;
    if (!fs::is_regular_file(path_, ec))
        return;
    std::ifstream in(path_, std::ios::binary);
    std::string content;
    try {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        content.clear();
    }
    if (content.empty())
        return;
    std::istringstream stream(content);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            lineEnd_ = "\r\n";
        }
        lines_.push_back(std::move(line));
    }
    endsWithLineBreak_ = content.back() == '\n';
}

IniFile::Position IniFile::FindSection(const std::string& section) const
{
    Position where;
    std::string name;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!SectionOfLine(lines_[i], name))
            continue;
        if (where.header != npos)
            break;
        if (SameName(name, section))
            where.header = i;
    }
    if (where.header == npos)
        return where;
    where.end = where.header + 1;
    while (where.end < lines_.size() && !SectionOfLine(lines_[where.end], name)) {
        const std::string trimmed = Trim(lines_[where.end]);
        if (!trimmed.empty() && !IsComment(trimmed))
            where.lastEntry = where.end;
        ++where.end;
    }
    return where;
}

std::size_t IniFile::FindKey(const Position& where, const std::string& key) const
{
    if (where.header == npos)
        return npos;
    std::string name;
    for (std::size_t i = where.header + 1; i < where.end; ++i)
        if (KeyOfLine(lines_[i], name) && SameName(name, key))
            return i;
    return npos;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    const std::size_t line = FindKey(FindSection(section), key);
    return line == npos ? defaultValue : ValueOfLine(lines_[line]);
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                                  std::int32_t defaultValue) const
{
    std::int32_t value = 0;
    const std::size_t line = FindKey(FindSection(section), key);
    if (line == npos || !ParseInteger(ValueOfLine(lines_[line]), value))
        return defaultValue;
    return value;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::SectionExists(const std::string& section) const
{
    return FindSection(section).header != npos;
}

bool IniFile::KeyExists(const std::string& section, const std::string& key) const
{
    return FindKey(FindSection(section), key) != npos;
}

std::vector<std::string> IniFile::Sections() const
{
    std::vector<std::string> names;
    std::string name;
    for (const std::string& line : lines_)
        if (SectionOfLine(line, name))
            names.push_back(name);
    return names;
}

std::vector<std::string> IniFile::Keys(const std::string& section) const
{
    std::vector<std::string> names;
    const Position where = FindSection(section);
    if (where.header == npos)
        return names;
    std::string name;
    for (std::size_t i = where.header + 1; i < where.end; ++i)
        if (KeyOfLine(lines_[i], name))
            names.push_back(name);
    return names;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string cleanValue = Quoted(OneLine(value));
    const Position where = FindSection(section);
    const std::size_t line = FindKey(where, key);
    if (line != npos) {
        std::string& text = lines_[line];
        text = text.substr(0, text.find('=') + 1) + cleanValue;
        return;
    }
    const std::string entry = OneLine(key) + "=" + cleanValue;
    endsWithLineBreak_ = true;
    if (where.header != npos) {
        const std::size_t at = where.lastEntry != npos ? where.lastEntry + 1 : where.header + 1;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
        return;
    }
    if (!lines_.empty() && !Trim(lines_.back()).empty())
        lines_.emplace_back();
    lines_.push_back("[" + OneLine(section) + "]");
    lines_.push_back(entry);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool IniFile::Save() const
{
    std::string content;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        content += lines_[i];
        if (i + 1 < lines_.size() || endsWithLineBreak_)
            content += lineEnd_;
    }

    const fs::path target = FileBehind(path_);
    std::string tempName = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return false;
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    const bool written = WriteAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(tempName.c_str(), target.c_str()) != 0) {
        ::unlink(tempName.c_str());
        return false;
    }
    return true;
}

std::string IniFile::ReadString(const fs::path& path, const std::string& section, const std::string& key,
                                const std::string& defaultValue)
{
    return IniFile(path).ReadString(section, key, defaultValue);
}

std::int32_t IniFile::ReadInteger(const fs::path& path, const std::string& section, const std::string& key,
                                  std::int32_t defaultValue)
{
    return IniFile(path).ReadInteger(section, key, defaultValue);
}

bool IniFile::WriteString(const fs::path& path, const std::string& section, const std::string& key,
                          const std::string& value)
{
    IniFile file(path);
    file.WriteString(section, key, value);
    return file.Save();
}

bool IniFile::WriteInteger(const fs::path& path, const std::string& section, const std::string& key,
                           std::int32_t value)
{
    return WriteString(path, section, key, std::to_string(value));
}

bool IniFile::ParseInteger(const std::string& text, std::int32_t& value)
{
    const std::string trimmed = Trim(text);
    std::size_t at = 0;
    const bool negative = !trimmed.empty() && trimmed[0] == '-';
    if (!trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '+'))
        at = 1;
    const bool hex = trimmed.size() > at + 1 && trimmed[at] == '0' && (trimmed[at + 1] == 'x' || trimmed[at + 1] == 'X');
    if (hex)
        at += 2;
    const std::string digits = trimmed.substr(at);
    const std::size_t maxDigits = hex ? 8 : 10;
    if (digits.empty() || digits.size() > maxDigits)
        return false;
    std::int64_t magnitude = 0;
    for (const char c : digits) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
    }
    if (hex) {
        const auto pattern = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        value = negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(pattern)) : pattern;
        return true;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

}  // namespace platform
