// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/EncoderCache.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>

#include "engine/Unzipfile.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

// Our own names in a place; nothing else there is ever touched.
constexpr std::string_view FolderPrefix = "archive-";
constexpr std::size_t FingerprintLength = 16;
constexpr std::string_view UnpackingPrefix = ".unpacking-";
constexpr std::string_view UniqueSuffix = "XXXXXX";
constexpr const char* LockName = ".lock";

bool IsFolderName(const std::string& name)
{
    return name.size() == FolderPrefix.size() + FingerprintLength && name.starts_with(FolderPrefix) &&
           std::all_of(name.begin() + long(FolderPrefix.size()), name.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

bool IsUnpackingName(const std::string& name)
{
    return name.size() == UnpackingPrefix.size() + UniqueSuffix.size() && name.starts_with(UnpackingPrefix) &&
           std::all_of(name.begin() + long(UnpackingPrefix.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

int Flock(int fd, int operation)
{
    int result;
    while ((result = flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return result;
}

bool MountedNoexec(const fs::path& place)
{
    struct statvfs info {};
    return statvfs(place.c_str(), &info) == 0 && (info.f_flag & ST_NOEXEC) != 0;
}

// Whole-place lock: unpacking, marking a folder in use and removing
// leftovers happen under it, so no process removes what another is about to
// use. Where the lock cannot be had, nothing is removed.
class PlaceLock {
public:
    explicit PlaceLock(const fs::path& place)
        : file_(open((place / LockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)),
          held_(file_.get() >= 0 && Flock(file_.get(), LOCK_EX) == 0)
    {
    }
    bool Held() const { return held_; }

private:
    platform::Descriptor file_;
    bool held_;
};

// True when no process has the folder marked in use.
bool Unused(const fs::path& folder)
{
    const platform::Descriptor file(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return file.get() >= 0 && Flock(file.get(), LOCK_EX | LOCK_NB) == 0;
}

// What a killed run left half unpacked, and the folders of earlier archives
// that no running process uses.
void RemoveLeftovers(const fs::path& place, const fs::path& current)
{
    std::vector<fs::path> leftovers;
    std::error_code ec;
    for (fs::directory_iterator it(place, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        const std::string name = path.filename().string();
        if (IsUnpackingName(name) || (IsFolderName(name) && path != current && Unused(path)))
            leftovers.push_back(path);
    }
    for (const fs::path& path : leftovers)
        fs::remove_all(path, ec);
}

}  // namespace

std::vector<fs::path> EncoderCache::Places()
{
    std::vector<fs::path> places;
    // Relative values are invalid for these variables and are ignored.
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        places.push_back(fs::path(cache) / "tremolix/encoders");
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        places.push_back(fs::path(home) / ".cache/tremolix/encoders");
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        places.push_back(fs::path(runtime) / "tremolix/encoders");
    return places;
}

bool EncoderCache::Open(const fs::path& archive, const std::vector<fs::path>& places)
{
    archive_ = archive;
    folder_.clear();
    error_.clear();
    inUse_.Reset(-1);
    std::string fingerprint;
    if (!ArchiveFingerprint(archive, fingerprint))
        return false;
    std::string firstError;
    for (const fs::path& place : places) {
        if (OpenIn(place, fingerprint))
            return true;
        if (error_.empty())
            return false;  // the archive is damaged: no other place helps
        if (firstError.empty())
            firstError = error_;
    }
    error_ = firstError.empty() ? "Cannot unpack the encoders: neither HOME nor XDG_CACHE_HOME names a folder"
                                : firstError;
    return false;
}

fs::path EncoderCache::Program(const std::string& member) const
{
    if (folder_.empty())
        return {};
    std::error_code ec;
    if (const fs::path program = folder_ / member; fs::is_regular_file(program, ec))
        return program;
    fs::path extracted;
    ExtractFromPackage(archive_, member, extracted, folder_);
    return extracted;
}

bool EncoderCache::OpenIn(const fs::path& place, const std::string& fingerprint)
{
    error_.clear();
    std::error_code ec;
    fs::create_directories(place, ec);
    if (ec)
        return Refuse(place, ec.message());
    if (MountedNoexec(place)) {
        error_ = "Cannot run the encoders from \"" + place.string() + "\": its file system is mounted noexec";
        return false;
    }
    const PlaceLock lock(place);
    const fs::path folder = place / (std::string(FolderPrefix) + fingerprint);
    if (!fs::is_directory(folder, ec) && !Unpack(place, folder))
        return false;
    inUse_.Reset(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (inUse_.get() < 0)
        return Refuse(place, std::strerror(errno));
    Flock(inUse_.get(), LOCK_SH);
    folder_ = folder;
    if (lock.Held())
        RemoveLeftovers(place, folder);
    return true;
}

// Unpacks into a fresh folder of its own and renames it into place whole,
// so a killed run or a process starting alongside never sees half of it.
bool EncoderCache::Unpack(const fs::path& place, const fs::path& folder)
{
    std::string temporary = (place / (std::string(UnpackingPrefix) + std::string(UniqueSuffix))).string();
    if (!mkdtemp(temporary.data()))
        return Refuse(place, std::strerror(errno));
    std::error_code folderError;
    bool ok = ExtractAllFromPackage(archive_, temporary, folderError);
    if (ok && std::rename(temporary.c_str(), folder.c_str()) != 0) {
        const int renameError = errno;
        // Another process (one without the lock) may have got there first.
        std::error_code ec;
        ok = fs::is_directory(folder, ec);
        if (!ok)
            folderError = {renameError, std::generic_category()};
    }
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    if (ok)
        return true;
    return folderError ? Refuse(place, folderError.message()) : false;
}

bool EncoderCache::Refuse(const fs::path& place, const std::string& why)
{
    error_ = "Cannot unpack the encoders into \"" + place.string() + "\": " + why;
    return false;
}

}  // namespace engine
