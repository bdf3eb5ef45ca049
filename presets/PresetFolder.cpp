// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/PresetFolder.h"

#include <QString>
#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace presets {
namespace {

constexpr int MaxDepth = 32;  // a symlink loop ends the walk here

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string NameOf(const fs::directory_entry& entry) { return entry.path().filename().string(); }

// The folder's entries sorted by name (letter case ignored); unreadable
// folders give none.
std::vector<fs::directory_entry> SortedEntries(const fs::path& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const int order = Q(NameOf(a)).compare(Q(NameOf(b)), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : NameOf(a) < NameOf(b);
    });
    return entries;
}

bool IsFolder(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_directory(ec);
}

bool IsFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_regular_file(ec);
}

bool IsHidden(const fs::directory_entry& entry) { return NameOf(entry).starts_with('.'); }

fs::path MatchPart(const fs::path& folder, const std::string& part)
{
    std::error_code ec;
    if (fs::exists(folder / part, ec))
        return folder / part;
    for (const auto& entry : SortedEntries(folder))
        if (SameTextIgnoringCase(NameOf(entry), part))
            return entry.path();
    return folder / part;
}

void CollectTree(const fs::path& folder, std::vector<fs::path>& files, int depth)
{
    if (depth > MaxDepth)
        return;
    for (const auto& entry : SortedEntries(folder)) {
        if (IsFolder(entry)) {
            if (!IsHidden(entry))
                CollectTree(entry.path(), files, depth + 1);
        } else if (IsFile(entry)) {
            files.push_back(entry.path());
        }
    }
}

std::optional<fs::path> FindInTree(const fs::path& folder, const std::string& fileName, int depth)
{
    if (depth > MaxDepth)
        return std::nullopt;
    const auto entries = SortedEntries(folder);
    for (const auto& entry : entries)
        if (IsFile(entry) && SameTextIgnoringCase(NameOf(entry), fileName))
            return entry.path();
    for (const auto& entry : entries)
        if (IsFolder(entry) && !IsHidden(entry))
            if (auto found = FindInTree(entry.path(), fileName, depth + 1))
                return found;
    return std::nullopt;
}

}  // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return Q(a).compare(Q(b), Qt::CaseInsensitive) == 0;
}

fs::path PresetPath(const fs::path& programFolder, const std::vector<std::string>& parts)
{
    fs::path path = programFolder / "Preset";
    for (const auto& part : parts)
        path = MatchPart(path, part);
    return path;
}

std::optional<fs::path> FindPresetFile(const fs::path& folder, const std::string& fileName)
{
    return FindInTree(folder, fileName, 0);
}

std::vector<fs::path> ListPresetTree(const fs::path& folder)
{
    std::vector<fs::path> files;
    CollectTree(folder, files, 0);
    return files;
}

std::string PresetNameOfFile(const fs::path& file)
{
    QString name = QString::fromStdString(file.filename().string());
    name.chop(4);
    return name.toStdString();
}

}  // namespace presets
