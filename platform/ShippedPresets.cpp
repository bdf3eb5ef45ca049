// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShippedPresets.h"

#include <QCryptographicHash>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SafeRewrite.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr const char* ManifestName = ".shipped";
constexpr mode_t PresetMode = 0644;

// Preset file (relative to Preset, "/"-separated) -> hash of its content.
using Manifest = std::map<std::string, std::string>;

std::optional<std::string> ReadWhole(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::string Hash(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// Writes under a unique name beside the file and renames it into place, so
// a reader never sees half a file.
bool WriteWhole(const fs::path& path, const std::string& bytes)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::string temporary = path.string() + ".XXXXXX";
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0)
        return false;
    bool ok = WriteAt(file, bytes.data(), bytes.size(), 0) && fchmod(file, PresetMode) == 0;
    ok = close(file) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        unlink(temporary.c_str());
    return ok;
}

// "<hash> <file>" lines.
Manifest ReadManifest(const std::string& text)
{
    Manifest manifest;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (const auto space = line.find(' '); space != std::string::npos && space + 1 < line.size())
            manifest[line.substr(space + 1)] = line.substr(0, space);
    }
    return manifest;
}

std::string ManifestText(const Manifest& manifest)
{
    std::string text;
    for (const auto& [file, hash] : manifest)
        text += hash + ' ' + file + '\n';
    return text;
}

// Files shipped before that the user left as they were go with them.
void RemoveWithdrawn(const Manifest& before, const std::set<std::string>& shipped, const fs::path& target)
{
    for (const auto& [file, hash] : before) {
        if (shipped.count(file))
            continue;
        const auto current = ReadWhole(target / file);
        std::error_code ec;
        if (current && Hash(*current) == hash)
            fs::remove(target / file, ec);
    }
}

}  // namespace

void SyncShippedPresets(const fs::path& installedFolder, const fs::path& userFolder)
{
    const fs::path source = installedFolder / "Preset";
    const fs::path target = userFolder / "Preset";
    std::error_code ec;
    if (!fs::is_directory(source, ec))
        return;
    const auto manifestText = ReadWhole(userFolder / ManifestName);
    // Without a Preset folder the user starts afresh, as on the first start.
    const Manifest before = fs::is_directory(target, ec) ? ReadManifest(manifestText.value_or("")) : Manifest{};
    Manifest after;
    std::set<std::string> shipped;
    for (fs::recursive_directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
        const auto bytes = ReadWhole(it->path());
        if (!bytes)
            continue;
        const std::string file = it->path().lexically_relative(source).generic_string();
        const std::string hash = Hash(*bytes);
        shipped.insert(file);
        std::optional<std::string> current, last;
        if (const auto bytesNow = ReadWhole(target / file))
            current = Hash(*bytesNow);
        if (const auto entry = before.find(file); entry != before.end())
            last = entry->second;
        // Equal when the user left the file as last synced, or when it is
        // shipped for the first time and absent: it takes the new content.
        // Otherwise the user changed, deleted or made it, and it stays so.
        if (current == hash || (current == last && WriteWhole(target / file, *bytes)))
            after[file] = hash;
        else if (last)
            after[file] = *last;
    }
    RemoveWithdrawn(before, shipped, target);
    if (const std::string text = ManifestText(after); text != manifestText.value_or(""))
        WriteWhole(userFolder / ManifestName, text);
}

}  // namespace platform
