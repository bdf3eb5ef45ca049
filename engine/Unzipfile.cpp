// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Unzipfile.h"

#include <QDir>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

namespace engine {

namespace {

constexpr unsigned ModeBits = 07777;
constexpr mode_t DefaultMode = 0644;

// The member's place under the temporary folder, or empty for a name that
// would leave it (absolute, "..") or names a folder.
std::filesystem::path MemberTarget(const std::string& member, const std::filesystem::path& folder)
{
    const std::filesystem::path relative(member);
    if (member.empty() || member.back() == '/' || relative.is_absolute())
        return {};
    for (const auto& part : relative)
        if (part == "..")
            return {};
    return folder / relative;
}

bool WriteAll(int file, const char* data, std::size_t bytes)
{
    while (bytes > 0) {
        const ssize_t written = write(file, data, bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        bytes -= std::size_t(written);
    }
    return true;
}

// Copies the member's bytes; the closing call checks the CRC.
bool CopyCurrentMember(unzFile archive, int file)
{
    if (unzOpenCurrentFile(archive) != UNZ_OK)
        return false;
    std::array<char, 65536> buffer;
    int read = 0;
    bool written = true;
    while (written && (read = unzReadCurrentFile(archive, buffer.data(), buffer.size())) > 0)
        written = WriteAll(file, buffer.data(), std::size_t(read));
    return unzCloseCurrentFile(archive) == UNZ_OK && written && read == 0;
}

mode_t StoredMode(unzFile archive)
{
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return DefaultMode;
    const mode_t mode = mode_t((info.external_fa >> 16) & ModeBits);
    return mode != 0 ? mode : DefaultMode;
}

// Unpacks under a hidden temporary name and renames it into place, so a
// half-written program is never found under its real name.
bool ExtractCurrentMember(unzFile archive, const std::filesystem::path& target)
{
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    std::string partial = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int file = mkostemp(partial.data(), O_CLOEXEC);
    if (file < 0)
        return false;
    bool ok = CopyCurrentMember(archive, file) && fchmod(file, StoredMode(archive)) == 0;
    ok = close(file) == 0 && ok;
    ok = ok && std::rename(partial.c_str(), target.c_str()) == 0;
    if (!ok)
        unlink(partial.c_str());
    return ok;
}

}  // namespace

std::filesystem::path TempFolder()
{
    return std::filesystem::path(QDir::tempPath().toStdString());
}

bool ExtractFromPackage(const std::filesystem::path& archive, const std::string& member,
                        std::filesystem::path& extracted, const std::filesystem::path& folder)
{
    extracted.clear();
    const std::filesystem::path target = MemberTarget(member, folder.empty() ? TempFolder() : folder);
    if (target.empty())
        return false;
    unzFile zip = unzOpen64(archive.c_str());
    if (!zip)
        return false;
    const bool ok = unzLocateFile(zip, member.c_str(), 1) == UNZ_OK && ExtractCurrentMember(zip, target);
    unzClose(zip);
    std::error_code error;
    if (!ok || !std::filesystem::is_regular_file(target, error))
        return false;
    extracted = target;
    return true;
}

}  // namespace engine
