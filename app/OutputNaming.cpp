// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OutputNaming.h"

#include <QDir>
#include <algorithm>

#include "app/TagSteps.h"
#include "engine/FormatTable.h"

namespace fs = std::filesystem;

namespace app {
namespace {

bool IsBlankOrControl(unsigned char c) { return c <= ' ' || c == 0x7F; }

std::size_t SlashCount(const std::string& text) { return std::size_t(std::count(text.begin(), text.end(), '/')); }

// The text up to its n-th "/", that one included.
std::string FirstComponents(const std::string& text, std::size_t slashes)
{
    std::size_t end = 0;
    for (std::size_t i = 0; i < slashes; ++i)
        end = text.find('/', end) + 1;
    return text.substr(0, end);
}

std::string Trimmed(const std::string& text, bool (*strip)(unsigned char))
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && strip(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && strip(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

// A name's other characters are the user's, control characters included.
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

bool LiesInside(const fs::path& folder, const fs::path& path)
{
    const fs::path relative = path.lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != ".." && *relative.begin() != ".";
}

}  // namespace

bool IsWholeNamePattern(const std::string& text)
{
    return text.find("%Title%") != std::string::npos || text.find("%Name%") != std::string::npos;
}

std::string AddBackslash(const std::string& folder)
{
    std::string text = Trimmed(folder, IsBlankOrControl);
    if (!text.empty() && text.back() != '/')
        text += '/';
    return text;
}

std::string ExpandTargetFolder(const std::string& folder)
{
    const std::string text = AddBackslash(folder);
    if (text == "~/" || text.starts_with("~/"))
        return AddBackslash(QDir::homePath().toStdString()) + text.substr(2);
    return text;
}

std::string TargetRoot(const std::string& folder)
{
    std::string root = ExpandTargetFolder(folder);
    if (const auto placeholder = root.find('%'); placeholder != std::string::npos)
        root.resize(root.find_last_of('/', placeholder) + 1);
    return root;
}

std::string MakeOutputPath(const std::filesystem::path& input, const NamingChoice& choice)
{
    const std::string stem = InputStem(input);
    std::string name = stem;
    if (choice.customName)
        name = IsWholeNamePattern(choice.prefix) ? choice.prefix : choice.prefix + stem;
    const std::string folder = ExpandTargetFolder(choice.targetFolder);
    // Values never add or remove a "/", so the folder keeps its components.
    std::string filled = ApplyTagPlaceholders(folder + name, input, choice.portableNames);
    const std::size_t nameStart = filled.find_last_of('/') + 1;
    std::string fileStem = Trimmed(filled.substr(nameStart), IsBlank);
    if (fileStem.empty())
        fileStem = stem;
    filled = filled.substr(0, nameStart) + fileStem + engine::Row(choice.format).extension;
    const fs::path path = fs::path(filled).lexically_normal();
    if (!LiesInside(FirstComponents(filled, SlashCount(folder)), path))
        return {};
    return path.string();
}

}  // namespace app
