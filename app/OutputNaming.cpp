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

bool LiesInside(const fs::path& folder, const fs::path& path)
{
    const fs::path relative = path.lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != ".." && *relative.begin() != ".";
}

}  // namespace

std::string AddBackslash(const std::string& folder)
{
    std::size_t begin = 0;
    std::size_t end = folder.size();
    while (begin < end && IsBlankOrControl(folder[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(folder[end - 1]))
        --end;
    std::string text = folder.substr(begin, end - begin);
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
    const std::string inputText = input.string();
    const std::string fileName = inputText.substr(inputText.find_last_of('/') + 1);
    std::string name = choice.customName ? choice.prefix + fileName : fileName;
    if (const auto dot = fileName.find_last_of('.'); dot != std::string::npos)
        name.resize(name.size() - (fileName.size() - dot));
    const std::string folder = ExpandTargetFolder(choice.targetFolder);
    // Values never add or remove a "/", so the folder keeps its components.
    const std::string filled =
        ApplyTagPlaceholders(folder + name + engine::Row(choice.format).extension, input, choice.portableNames);
    const fs::path path = fs::path(filled).lexically_normal();
    if (!LiesInside(FirstComponents(filled, SlashCount(folder)), path))
        return {};
    return path.string();
}

}  // namespace app
