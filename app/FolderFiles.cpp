// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FolderFiles.h"

#include <algorithm>
#include <cctype>

#include "engine/AudioLibrary.h"

namespace fs = std::filesystem;

namespace app {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Compares the digit runs starting at i and j by value and moves past
// them; 0 when the values are equal.
int CompareNumbers(const std::string& a, std::size_t& i, const std::string& b, std::size_t& j)
{
    while (i < a.size() && a[i] == '0')
        ++i;
    while (j < b.size() && b[j] == '0')
        ++j;
    const std::size_t startA = i;
    const std::size_t startB = j;
    while (i < a.size() && IsDigit(a[i]))
        ++i;
    while (j < b.size() && IsDigit(b[j]))
        ++j;
    if (i - startA != j - startB)
        return i - startA < j - startB ? -1 : 1;
    return a.compare(startA, i - startA, b, startB, j - startB);
}

int NaturalCompare(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            if (const int order = CompareNumbers(a, i, b, j); order != 0)
                return order;
            continue;
        }
        const auto ca = static_cast<unsigned char>(Folded(a[i]));
        const auto cb = static_cast<unsigned char>(Folded(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

void AppendFolderFiles(const fs::path& folder, bool recursive, FolderListing& listing)
{
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec)
        listing.unreadable.push_back({folder, ec.message()});
    std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return NaturalLess(a.path().filename().string(), b.path().filename().string());
    });
    for (const fs::directory_entry& entry : entries) {
        std::error_code typeError;
        if (entry.is_directory(typeError)) {
            if (recursive && !entry.is_symlink(typeError))
                AppendFolderFiles(entry.path(), true, listing);
        } else if (fs::exists(entry.path(), typeError)) {
            listing.files.push_back(entry.path());
        }
    }
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b)
{
    const int order = NaturalCompare(a, b);
    return order != 0 ? order < 0 : a < b;
}

FolderListing ListFolderFiles(const fs::path& folder, bool recursive)
{
    FolderListing listing;
    // Only a folder that is not there at all is passed over in silence.
    std::error_code ec;
    if (fs::exists(folder, ec) || ec)
        AppendFolderFiles(folder, recursive, listing);
    return listing;
}

std::string UnreadableFoldersText(const std::vector<UnreadableFolder>& folders)
{
    std::string text = "Folders that could not be read:";
    for (const UnreadableFolder& folder : folders)
        text += "\n" + folder.folder.string() + ": " + folder.reason;
    return text;
}

bool IsDecodable(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    const AudioLibrary::Handle handle = AudioLibrary::StreamCreateFile(path, AudioLibrary::FlagDecodeOnly);
    if (handle == 0)
        return false;
    AudioLibrary::StreamFree(handle);
    return true;
}

FolderAudio ListFolderAudio(const fs::path& folder)
{
    FolderListing listing = ListFolderFiles(folder, true);
    FolderAudio audio;
    audio.unreadable = std::move(listing.unreadable);
    for (fs::path& file : listing.files) {
        if (IsDecodable(file))
            audio.files.push_back(std::move(file));
        else
            ++audio.skipped;
    }
    return audio;
}

}  // namespace app
