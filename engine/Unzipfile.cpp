// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Unzipfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include "platform/SafeRewrite.h"

namespace engine {

namespace {

constexpr unsigned ModeBits = 07777;
constexpr mode_t DefaultMode = 0644;
constexpr int FingerprintDigits = 16;

struct ZipCloser {
    void operator()(void* zip) const { unzClose(zip); }
};
using ZipHandle = std::unique_ptr<void, ZipCloser>;

std::error_code LastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// The member's place under the folder, or empty for a name that
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

std::string CurrentName(unzFile archive, unz_file_info64& info)
{
    std::array<char, 1024> name{};
    if (unzGetCurrentFileInfo64(archive, &info, name.data(), name.size() - 1, nullptr, 0, nullptr, 0) != UNZ_OK)
        return {};
    return name.data();
}

// Copies the member's bytes; the closing call checks the CRC. A refused
// write sets writeError.
bool CopyCurrentMember(unzFile archive, int file, std::error_code& writeError)
{
    if (unzOpenCurrentFile(archive) != UNZ_OK)
        return false;
    std::array<char, 65536> buffer;
    std::uint64_t offset = 0;
    int read = 0;
    while (!writeError && (read = unzReadCurrentFile(archive, buffer.data(), buffer.size())) > 0) {
        if (!platform::WriteAt(file, buffer.data(), std::size_t(read), offset))
            writeError = LastError();
        offset += std::uint64_t(read);
    }
    return unzCloseCurrentFile(archive) == UNZ_OK && !writeError && read == 0;
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
bool ExtractCurrentMember(unzFile archive, const std::filesystem::path& target, std::error_code& folderError)
{
    std::filesystem::create_directories(target.parent_path(), folderError);
    if (folderError)
        return false;
    std::string partial = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int file = mkostemp(partial.data(), O_CLOEXEC);
    if (file < 0) {
        folderError = LastError();
        return false;
    }
    bool ok = CopyCurrentMember(archive, file, folderError);
    const auto failed = [&] {
        folderError = LastError();
        return false;
    };
    if (ok && fchmod(file, StoredMode(archive)) != 0)
        ok = failed();
    if (close(file) != 0 && ok)
        ok = failed();
    if (ok && std::rename(partial.c_str(), target.c_str()) != 0)
        ok = failed();
    if (!ok)
        unlink(partial.c_str());
    return ok;
}

}  // namespace

std::filesystem::path TempFolder()
{
    // Qt gives an empty path for a TMPDIR that does not exist; that folder
    // is still the one to name when a temporary file cannot be made.
    const QString folder = QDir::tempPath();
    return (folder.isEmpty() ? qEnvironmentVariable("TMPDIR") : folder).toStdString();
}

bool ExtractFromPackage(const std::filesystem::path& archive, const std::string& member,
                        std::filesystem::path& extracted, const std::filesystem::path& folder)
{
    extracted.clear();
    const std::filesystem::path target = MemberTarget(member, folder.empty() ? TempFolder() : folder);
    if (target.empty())
        return false;
    const ZipHandle zip(unzOpen64(archive.c_str()));
    std::error_code folderError;
    if (!zip || unzLocateFile(zip.get(), member.c_str(), 1) != UNZ_OK ||
        !ExtractCurrentMember(zip.get(), target, folderError))
        return false;
    std::error_code error;
    if (!std::filesystem::is_regular_file(target, error))
        return false;
    extracted = target;
    return true;
}

bool ExtractAllFromPackage(const std::filesystem::path& archive, const std::filesystem::path& folder,
                           std::error_code& folderError)
{
    folderError.clear();
    const ZipHandle zip(unzOpen64(archive.c_str()));
    if (!zip)
        return false;
    for (int at = unzGoToFirstFile(zip.get()); at == UNZ_OK; at = unzGoToNextFile(zip.get())) {
        unz_file_info64 info{};
        const std::string name = CurrentName(zip.get(), info);
        if (!name.empty() && name.back() == '/')
            continue;  // a folder entry; its files name it again
        const std::filesystem::path target = MemberTarget(name, folder);
        if (target.empty() || !ExtractCurrentMember(zip.get(), target, folderError))
            return false;
    }
    return true;
}

bool ArchiveFingerprint(const std::filesystem::path& archive, std::string& fingerprint)
{
    fingerprint.clear();
    const ZipHandle zip(unzOpen64(archive.c_str()));
    if (!zip)
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    int at = unzGoToFirstFile(zip.get());
    for (; at == UNZ_OK; at = unzGoToNextFile(zip.get())) {
        unz_file_info64 info{};
        const std::string name = CurrentName(zip.get(), info);
        if (name.empty())
            return false;
        const std::string entry = name + '\0' + std::to_string(info.external_fa) + ' ' +
                                  std::to_string(info.uncompressed_size) + ' ' + std::to_string(info.crc) + '\n';
        hash.addData(QByteArrayView(entry.data(), qsizetype(entry.size())));
    }
    if (at != UNZ_END_OF_LIST_OF_FILE)
        return false;
    fingerprint = hash.result().toHex().left(FingerprintDigits).toStdString();
    return true;
}

}  // namespace engine
