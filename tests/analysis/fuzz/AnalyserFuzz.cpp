// SPDX-License-Identifier: GPL-3.0-or-later
// One analyser a target: the input becomes a file that the analyser loads,
// and for the two comment writers also rewrites.

#include "analysis/AACfile.h"
#include "analysis/CommentText.h"
#include "analysis/FLACfile.h"
#include "analysis/MPEGaudio.h"
#include "analysis/Monkey.h"
#include "analysis/Musepack.h"
#include "analysis/OggVorbis.h"
#include "analysis/OptimFROG.h"
#include "analysis/VorbisComments.h"
#include "tags/classes/TagError.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path InputFile()
{
    static const fs::path path = [] {
        std::string folder = (fs::temp_directory_path() / "analysis-fuzz-XXXXXX").string();
        if (!::mkdtemp(folder.data()))
            std::abort();
        return fs::path(folder) / "input";
    }();
    return path;
}

template <typename Analyser>
void LoadOnly(const fs::path& path)
{
    Analyser analyser;
    analyser.Load(path);
}

void Run(const fs::path& path, [[maybe_unused]] const std::string& data)
{
#if defined(FUZZ_TARGET_mpeg)
    LoadOnly<TMPEGaudio>(path);
#elif defined(FUZZ_TARGET_monkey)
    LoadOnly<TMonkey>(path);
#elif defined(FUZZ_TARGET_musepack)
    LoadOnly<TMPEGplus>(path);
#elif defined(FUZZ_TARGET_optimfrog)
    LoadOnly<TOptimFrog>(path);
#elif defined(FUZZ_TARGET_aac)
    LoadOnly<TAACfile>(path);
#elif defined(FUZZ_TARGET_ogg)
    TOggVorbis ogg;
    if (ogg.Load(path)) {
        ogg.Title = "fuzz \xF0\x9D\x84\x9E";
        ogg.Comment = std::string(data.size() % 700, 'c');
        if (ogg.Save(path) && !ogg.Load(path))
            std::abort();  // a written file must read back
        ogg.EncoderName();
    }
#elif defined(FUZZ_TARGET_oggpages)
    // Comments from none to several pages' worth, so the header pages are
    // laid out anew and the pages behind them renumbered.
    TOggVorbis ogg;
    if (ogg.Load(path)) {
        ogg.Comment = std::string(data.size() * 37 % 140000, 'p');
        ogg.Title = data.size() % 2 ? "" : "fuzz";
        if (ogg.Save(path)) {
            TOggVorbis back;
            if (!back.Load(path) || back.Comment != ogg.Comment || back.Title != ogg.Title)
                std::abort();  // a written file holds what was written
        }
    }
#elif defined(FUZZ_TARGET_oggcodecs)
    // Opus and Ogg FLAC comment packets rewritten from the stored comments
    // with values added: the file reads back holding exactly those.
    TOggVorbis ogg;
    if (ogg.Load(path)) {
        std::vector<std::string> items = ogg.RawComments;
        items.push_back("ARTIST=" + std::string(data.size() % 300, 'a'));
        items.push_back("ARTIST=" + data.substr(0, 40));
        if (ogg.SaveComments(path, items)) {
            TOggVorbis back;
            if (!back.Load(path) || back.RawComments != items)
                std::abort();
        }
    }
#elif defined(FUZZ_TARGET_flac)
    TFLACfile flac;
    if (flac.Load(path)) {
        flac.Title = "fuzz";
        flac.Lyrics = std::string(data.size() % 9000, 'l');
        if (flac.Save(path, data.size() % 2 == 0) && !flac.Load(path))
            std::abort();
    }
#elif defined(FUZZ_TARGET_comments)
    using namespace analysis;
    const std::string decoded = DecodeCommentText(data);
    if (EncodeCommentText(decoded) != decoded)
        std::abort();  // decoded text is well formed
    const std::string readable = ReadableCommentText(data);
    if (EncodeCommentText(readable) != readable || (decoded.size() == data.size() && readable != data))
        std::abort();  // shown text is well formed, and UTF-8 shows as stored
    ParseVorbisComments(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string data(reinterpret_cast<const char*>(bytes), size);
    const fs::path path = InputFile();
#if !defined(FUZZ_TARGET_comments)
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data.data(), std::streamsize(size));
#endif
    try {
        Run(path, data);
    } catch (const TagError&) {
        // Open errors are passed on by design.
    }
    return 0;
}
