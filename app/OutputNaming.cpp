#include "app/OutputNaming.h"

#include "app/TagSteps.h"
#include "engine/FormatTable.h"

namespace app {
namespace {

bool IsBlankOrControl(unsigned char c) { return c <= ' ' || c == 0x7F; }

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

std::string MakeOutputPath(const std::filesystem::path& input, const NamingChoice& choice)
{
    const std::string inputText = input.string();
    const std::string fileName = inputText.substr(inputText.find_last_of('/') + 1);
    std::string name = choice.customName ? choice.prefix + fileName : fileName;
    if (const auto dot = fileName.find_last_of('.'); dot != std::string::npos)
        name.resize(name.size() - (fileName.size() - dot));
    const std::string path =
        AddBackslash(choice.targetFolder) + name + engine::FormatExtensions[choice.format];
    return ApplyTagPlaceholders(path, input);
}

}  // namespace app
