// SPDX-License-Identifier: GPL-3.0-or-later
// One tag class a target: the input becomes a file that is loaded, saved
// with a changed value and loaded again. A save must keep the bytes around
// the tag it replaces; anything else aborts.

#include "tags/classes/APETag.h"
#include "tags/classes/ID3v1.h"
#include "tags/classes/ID3v2.h"
#include "tags/classes/TagLayout.h"
#include "tags/classes/TagText.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path InputFile()
{
    static const fs::path path = [] {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string folder = (base / "tag-fuzz-XXXXXX").string();
        if (!::mkdtemp(folder.data()))
            std::abort();
        return fs::path(folder) / "input";
    }();
    return path;
}

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void Fuzz(const fs::path& path, const std::string& input)
{
#if defined(FUZZ_TARGET_id3v1)
    TID3v1 tag;
    if (!tag.Load(path))
        return;
    // An author makes the save write a Lyrics3 block, which carries the long title.
    tag.SetAuthor("fuzz");
    tag.SetTitle(tag.Title() + " and a title longer than thirty characters");
    // Everything but the ID3v1 tag and the Lyrics3 block stays, an APE tag
    // between the two included.
    TTagLayout layout;
    Require(ReadTagLayout(path, layout) && layout.Lyrics3Size == std::uint64_t(tag.Lyrics3TotalSize()));
    const std::uint64_t end = layout.FileSize - layout.ID3v1Size;
    const std::uint64_t lyricsEnd = layout.Lyrics3Offset + layout.Lyrics3Size;
    const std::string kept = layout.Lyrics3Size ? input.substr(0, layout.Lyrics3Offset) +
                                                      input.substr(lyricsEnd, end - lyricsEnd)
                                                : input.substr(0, end);
    Require(tag.Save(path));
    Require(Read(path).compare(0, kept.size(), kept) == 0);
    // Texts that spell a whole APE tag at the end are read as one: the APE
    // footer is checked first, by design.
    TTagLayout saved;
    Require(ReadTagLayout(path, saved));
    if (!saved.ID3v1Size && saved.APESize)
        return;
    TID3v1 again;
    Require(again.Load(path) && again.Exists() && again.Title() == tagtext::Trim(tag.Title()));
#elif defined(FUZZ_TARGET_id3v2)
    TID3v2 tag;
    if (!tag.Load(path))
        return;
    TTagLayout layout;
    Require(ReadTagLayout(path, layout));
    tag.SetTitle(tag.Title() + "x");
    if (!tag.Save(path))
        return;
    Require(EndsWith(Read(path), input.substr(layout.ID3v2Size)));
    TID3v2 again;
    Require(again.Load(path) && again.Title() == tag.Title() && again.Artist() == tag.Artist() &&
            again.Comment() == tag.Comment() && again.Genre() == tag.Genre() && again.URL() == tag.URL());
    // What was written as 2.3 is kept byte for byte by a save that changes nothing.
    const std::string once = Read(path);
    Require(again.Save(path) && Read(path) == once);
#elif defined(FUZZ_TARGET_ape)
    TAPETag tag;
    if (!tag.Load(path))
        return;
    TTagLayout layout;
    Require(ReadTagLayout(path, layout));
    tag.SetItem("Title", tag.GetItem("Title") + "x");
    Require(tag.Save(path));
    Require(Read(path).size() >= input.size() - layout.APESize);
    TAPETag again;
    Require(again.Load(path) && again.GetItem("Title") == tag.GetItem("Title"));
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path path = InputFile();
    const std::string input(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
    }
    Fuzz(path, input);
    return 0;
}
