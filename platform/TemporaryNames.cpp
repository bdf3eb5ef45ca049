// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TemporaryNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <random>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr std::size_t UniqueChars = 8;
constexpr int NameAttempts = 64;
constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// The last marker decides: a twin of a part file carries both. Our encoder
// programs may add "~" or "~<n>" to the part file's name for their own twin.
const std::regex& TemporaryPattern()
{
    static const std::regex pattern(
        R"(\..*\.tremolix-(?:part|twin)\.([1-9][0-9]{0,9})-[A-Za-z0-9]{8}(?:\.[^.~]*)?(?:~[0-9]*)?)");
    return pattern;
}

const char* KindName(TemporaryKind kind)
{
    return kind == TemporaryKind::Part ? "part" : "twin";
}

// The file system's limit for one name in folder, asked of the nearest
// folder that exists.
std::size_t NameLimit(fs::path folder)
{
    std::error_code ec;
    folder = fs::absolute(folder.empty() ? fs::path(".") : folder, ec);
    while (!fs::is_directory(folder, ec) && folder.has_relative_path())
        folder = folder.parent_path();
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? std::size_t(limit) : NAME_MAX;
}

// The longest start of text within bytes that ends at a UTF-8 character
// boundary.
std::string Utf8Prefix(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
        --bytes;
    return text.substr(0, bytes);
}

// The temporary's name for target, empty when not even an empty stem fits.
std::string TemporaryName(const fs::path& target, TemporaryKind kind, const std::string& unique, std::size_t limit)
{
    const std::string name = target.filename().string();
    const std::string extension = target.extension().string();
    const std::string tail =
        std::string(".tremolix-") + KindName(kind) + "." + std::to_string(getpid()) + "-" + unique + extension;
    if (1 + tail.size() > limit)
        return {};
    return "." + Utf8Prefix(name.substr(0, name.size() - extension.size()), limit - 1 - tail.size()) + tail;
}

std::string UniquePart(std::mt19937_64& random)
{
    std::string part(UniqueChars, ' ');
    for (char& c : part)
        c = Letters[random() % (sizeof Letters - 1)];
    return part;
}

std::string TooLong(const std::string& name)
{
    return "File name too long: \"" + name + "\"";
}

}  // namespace

int CreateTemporaryBeside(const fs::path& target, TemporaryKind kind, fs::path& created)
{
    const std::size_t limit = NameLimit(target.parent_path());
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::string name = TemporaryName(target, kind, UniquePart(random), limit);
        if (name.empty()) {
            errno = ENAMETOOLONG;
            return -1;
        }
        created = target.parent_path() / name;
        const int fd = ::open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool IsStaleTemporary(const fs::path& path)
{
    const std::string name = path.filename().string();
    std::smatch match;
    if (!std::regex_match(name, match, TemporaryPattern()))
        return false;
    const long long pid = std::stoll(match[1].str());
    struct stat info {};
    if (pid > INT_MAX || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

void RemoveStaleTemporaries(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (IsStaleTemporary(it->path()))
            fs::remove(it->path(), ignored);
    }
}

void RemoveStaleTemporariesOnce(const fs::path& folder)
{
    static std::mutex mutex;
    static std::set<fs::path> cleared;
    {
        const std::lock_guard lock(mutex);
        if (!cleared.insert(folder).second)
            return;
    }
    RemoveStaleTemporaries(folder);
}

std::string NameFitProblem(const fs::path& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const std::size_t limit = NameLimit(absolute.parent_path());
    for (const fs::path& component : absolute)
        if (component.string().size() > limit)
            return TooLong(component.string());
    // The longest name beside it: a rewrite's twin of the part file.
    const std::string placeholder(UniqueChars, 'x');
    const std::string part = TemporaryName(absolute, TemporaryKind::Part, placeholder, limit);
    const std::string twin = TemporaryName(absolute.parent_path() / part, TemporaryKind::Twin, placeholder, limit);
    if (part.empty() || twin.empty())
        return TooLong(absolute.filename().string());
    const std::size_t longest = std::max({absolute.filename().string().size(), part.size(), twin.size()});
    if (absolute.parent_path().string().size() + 1 + longest >= PATH_MAX)
        return TooLong(absolute.string());
    return {};
}

// The mode a new file gets under the process's umask, read without
// changing it (setting it, even back, races with other threads).
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("Umask:"))
            return 0666 & ~mode_t(std::stoul(line.substr(6), nullptr, 8));
    return 0644;
}

}  // namespace platform
