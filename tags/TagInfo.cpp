// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/TagInfo.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <functional>
#include <map>
#include <sys/statvfs.h>
#include <unistd.h>

#include "analysis/AACfile.h"
#include "analysis/FLACfile.h"
#include "analysis/MPEGaudio.h"
#include "analysis/Monkey.h"
#include "analysis/Musepack.h"
#include "analysis/OggVorbis.h"
#include "analysis/OptimFROG.h"
#include "platform/TemporaryNames.h"
#include "tags/Mp4TagBridge.h"
#include "tags/TagKinds.h"
#include "tags/VorbisFields.h"
#include "tags/classes/TagText.h"

namespace fs = std::filesystem;

std::string& TagField(TTAGInfo& info, std::size_t index)
{
    return info.*TagFields[index];
}

const std::string& TagField(const TTAGInfo& info, std::size_t index)
{
    return info.*TagFields[index];
}

std::size_t TagFieldIndex(TagFieldPointer field)
{
    return std::size_t(std::find(TagFields.begin(), TagFields.end(), field) - TagFields.begin());
}

std::vector<std::string> TagValues(const TTAGInfo& info, std::size_t index)
{
    const std::string& text = TagField(info, index);
    const std::vector<std::string>& list = info.Lists[index];
    if (list.size() > 1 && list.front() == text)
        return list;
    return text.empty() ? std::vector<std::string>() : std::vector<std::string>{text};
}

void SetTagValues(TTAGInfo& info, std::size_t index, std::vector<std::string> values)
{
    std::erase_if(values, [](const std::string& value) { return value.empty(); });
    TagField(info, index) = values.empty() ? std::string() : values.front();
    if (values.size() < 2)
        values.clear();
    info.Lists[index] = std::move(values);
}

std::string JoinedTagValues(const TTAGInfo& info, std::size_t index)
{
    return tagtext::JoinWithNul(TagValues(info, index));
}

void SetJoinedTagValues(TTAGInfo& info, std::size_t index, const std::string& joined)
{
    SetTagValues(info, index, tagtext::SplitAtNul(joined));
}

bool TTAGInfo::operator==(const TTAGInfo& other) const
{
    for (std::size_t i = 0; i < TagFields.size(); ++i)
        if (TagValues(*this, i) != TagValues(other, i))
            return false;
    return true;
}

namespace {

std::string Extension(const fs::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

// The five formats whose analysers carry ID3v1, ID3v2 and APE tags: a later
// tag wins field by field. In MP3 files ID3v2 is the main tag and comes last.
void CopyThreeTags(const TTagHolder& analyser, TTAGInfo& info, bool id3v2Last = false)
{
    if (analyser.ID3v1.Exists())
        tagsteps::TagInfoFromID3v1(analyser.ID3v1, info);
    if (analyser.ID3v2.Exists() && !id3v2Last)
        tagsteps::TagInfoFromID3v2(analyser.ID3v2, info);
    if (analyser.APEtag.Exists())
        tagsteps::TagInfoFromAPE(analyser.APEtag, info);
    if (analyser.ID3v2.Exists() && id3v2Last)
        tagsteps::TagInfoFromID3v2(analyser.ID3v2, info);
}

template <class Analyser>
void ReadThreeTags(const fs::path& file, TTAGInfo& info)
{
    Analyser analyser;
    if (analyser.Load(file))
        CopyThreeTags(analyser, info);
}

// WavPack has no analyser here: its tags are an APE tag at the end, after
// which an ID3v1 tag may follow.
void ReadWavPack(const fs::path& file, TTAGInfo& info)
{
    TTagHolder tags;
    if (tags.ID3v1.Load(file) && tags.APEtag.Load(file))
        CopyThreeTags(tags, info);
}

// The MPEG analyser leaves the APE tag alone; read it too, so a tag that
// WriteTagInfo wrote into an MP3 file is what comes back.
void ReadMp3(const fs::path& file, TTAGInfo& info)
{
    TMPEGaudio mpeg;
    if (!mpeg.Load(file))
        return;
    if (mpeg.Frame.Found)
        mpeg.APEtag.Load(file);
    CopyThreeTags(mpeg, info, true);
}

bool IsOggKind(const std::string& extension)
{
    return extension == ".ogg" || extension == ".opus" || extension == ".oga";
}

// What the comments store; the vendor string is not among them.
void ReadOggComments(const fs::path& file, TTAGInfo& info, bool vendorAsEncodedBy)
{
    TOggVorbis ogg;
    if (!ogg.Load(file))
        return;
    if (!vendorAsEncodedBy) {
        vorbisfields::ReadStoredFields(ogg.RawComments, info);
        return;
    }
    vorbisfields::ReadFields(ogg.RawComments, info);
    SetTagValues(info, TagFieldIndex(&TTAGInfo::EncodedBy), {ogg.EncoderName()});
}

// Ogg's EncodedBy is the library named by the stream's vendor string.
void ReadOgg(const fs::path& file, TTAGInfo& info)
{
    ReadOggComments(file, info, true);
}

std::string WriteOgg(const fs::path& file, const TTagEdit& edit)
{
    TOggVorbis ogg;
    if (!ogg.Load(file))
        return "not an Ogg Vorbis file, nor Opus or Ogg FLAC";
    TTagEdit comments = edit;
    comments.values.EncodedBy = edit.read.EncodedBy;
    comments.values.Lists[TagFieldIndex(&TTAGInfo::EncodedBy)] = edit.read.Lists[TagFieldIndex(&TTAGInfo::EncodedBy)];
    const std::vector<std::string> items = vorbisfields::EditedItems(ogg.RawComments, comments);
    if (items != ogg.RawComments && !ogg.SaveComments(file, items))
        return "its comment header could not be rewritten";
    return {};
}

// Fill is vorbisfields::ReadFields, or ReadStoredFields for a copy.
template <void (*Fill)(const std::vector<std::string>&, TTAGInfo&)>
void ReadFlac(const fs::path& file, TTAGInfo& info)
{
    TFLACfile flac;
    if (flac.Load(file))
        Fill(flac.RawComments, info);
}

std::string WriteFlac(const fs::path& file, const TTagEdit& edit)
{
    TFLACfile flac;
    if (!flac.Load(file))
        return "not a valid FLAC file";
    const std::vector<std::string> items = vorbisfields::EditedItems(flac.RawComments, edit);
    if (items != flac.RawComments && !flac.SaveComments(file, items))
        return "its comment block could not be rewritten";
    return {};
}

std::string WriteTags(const fs::path& file, const TTagEdit& edit, bool newID3v2)
{
    // Refused before any tag is written, so the file stays whole as it was.
    if (std::string locked = tagsteps::ReadOnlyAPEProblem(file, edit); !locked.empty())
        return locked;
    const std::array<std::pair<bool (*)(const fs::path&, const TTagEdit&), const char*>, 3> steps = {{
        {tagsteps::SaveID3v1Tag, "ID3v1"},
        {tagsteps::SaveID3v2Tag, "ID3v2"},
        {tagsteps::SaveAPETag, "APE"},
    }};
    std::string failed;
    for (const auto& [save, name] : steps) {
        TID3v2 existing;
        if (save == tagsteps::SaveID3v2Tag && !newID3v2 && !(existing.Load(file) && existing.Exists()))
            continue;
        if (!save(file, edit))
            failed += std::string(failed.empty() ? "" : ", ") + name;
    }
    return failed.empty() ? std::string() : "its " + failed + " tag could not be saved";
}

std::string WriteThreeTags(const fs::path& file, const TTagEdit& edit)
{
    return WriteTags(file, edit, true);
}

// Neither format defines ID3v2: one already there is updated, none is added,
// so other readers never take the file for MP3.
std::string WriteTagsWithoutNewID3v2(const fs::path& file, const TTagEdit& edit)
{
    return WriteTags(file, edit, false);
}

std::string WriteMp4(const fs::path& file, const TTagEdit& edit)
{
    if (tagsteps::SaveMP4Tag(file, edit))
        return {};
    TMp4TagBridge probe;
    return probe.Load(file) ? "its MP4 tags could not be saved" : "not an MP4 file that can be read";
}

std::string WriteWma(const fs::path& file, const TTagEdit& edit)
{
    return tagsteps::SaveWMATag(file, edit) ? std::string() : "its WMA attributes could not be saved";
}


using Reader = std::function<void(const fs::path&, TTAGInfo&)>;
// Empty on success, else why the file's tags were not written.
using Writer = std::function<std::string(const fs::path&, const TTagEdit&)>;

// Fields in record order that a kind of file stores.
using FieldSet = std::bitset<TagFields.size()>;
const FieldSet AllFields = FieldSet().set();
const FieldSet FirstSeven("000001111111");  // Track to Genre
const FieldSet AllButLanguage = FieldSet().set().reset(10);
const FieldSet AllButEncodedBy = FieldSet().set().reset(8);

struct TagWriter {
    Writer write;
    FieldSet stored;
};

const std::map<std::string, Reader>& Readers()
{
    static const std::map<std::string, Reader> readers = {
        {".aac", ReadThreeTags<TAACfile>},
        {".mp4", tagsteps::TagInfoFromMP4},
        {".m4a", tagsteps::TagInfoFromMP4},
        {".m4b", tagsteps::TagInfoFromMP4},
        {".opus", ReadOgg},
        {".oga", ReadOgg},
        {".mp3", ReadMp3},
        {".ogg", ReadOgg},
        {".ape", ReadThreeTags<TMonkey>},
        {".flac", ReadFlac<vorbisfields::ReadFields>},
        {".mpc", ReadThreeTags<TMPEGplus>},
        {".wv", ReadWavPack},
        {".ofr", ReadThreeTags<TOptimFrog>},
        {".wma", tagsteps::TagInfoFromWMA},
    };
    return readers;
}

const std::map<std::string, TagWriter>& Writers()
{
    static const std::map<std::string, TagWriter> writers = {
        {".aac", {WriteThreeTags, AllFields}},  {".mp3", {WriteThreeTags, AllFields}},
        {".ape", {WriteTagsWithoutNewID3v2, AllFields}},  {".mpc", {WriteTagsWithoutNewID3v2, AllFields}},
        {".ofr", {WriteTagsWithoutNewID3v2, AllFields}},  {".wv", {WriteTagsWithoutNewID3v2, AllFields}},  {".mp4", {WriteMp4, FirstSeven}},
        {".m4a", {WriteMp4, FirstSeven}},       {".m4b", {WriteMp4, FirstSeven}},
        {".ogg", {WriteOgg, AllButEncodedBy}},  {".opus", {WriteOgg, AllButEncodedBy}},
        {".oga", {WriteOgg, AllButEncodedBy}},
        {".flac", {WriteFlac, AllFields}},      {".wma", {WriteWma, AllButLanguage}},
    };
    return writers;
}

// A FIFO or device would block or never end; a missing file goes on to the
// reader, which may pass its open error on.
bool IsSpecialFile(const fs::path& file)
{
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    return fs::exists(status) && !fs::is_regular_file(status);
}

std::string Named(const fs::path& file, const std::string& problem)
{
    return file.string() + ": " + problem;
}

// A guess at why a save failed, for the message; empty when nothing obvious.
std::string LikelyCause(const fs::path& file)
{
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (::access(folder.c_str(), W_OK) != 0)
        return " (its folder is not writable)";
    struct statvfs disk {};
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (::statvfs(folder.c_str(), &disk) == 0 && !ec &&
        std::uintmax_t(disk.f_bavail) * disk.f_frsize <= size)
        return " (the disk is full)";
    return {};
}

}  // namespace

std::string TagFileProblem(const fs::path& file)
{
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status))
        return Named(file, "no such file");
    if (fs::is_directory(status))
        return Named(file, "is a folder, not a file");
    if (!fs::is_regular_file(status))
        return Named(file, "not a regular file");
    return {};
}

bool TagFieldWritable(const fs::path& file, std::size_t index)
{
    const auto writer = Writers().find(Extension(file));
    return writer != Writers().end() && writer->second.stored.test(index);
}

void ReadTagInfo(const fs::path& file, TTAGInfo& info)
{
    if (IsSpecialFile(file))
        return;
    if (const auto reader = Readers().find(Extension(file)); reader != Readers().end())
        reader->second(file, info);
}

void ReadStoredTagInfo(const fs::path& file, TTAGInfo& info)
{
    if (IsSpecialFile(file))
        return;
    const std::string kind = Extension(file);
    if (IsOggKind(kind))
        ReadOggComments(file, info, false);
    else if (kind == ".flac")
        ReadFlac<vorbisfields::ReadStoredFields>(file, info);
    else
        ReadTagInfo(file, info);
}

std::string WriteTagInfo(const fs::path& file, const TTAGInfo& info)
{
    if (std::string problem = TagFileProblem(file); !problem.empty())
        return problem;
    const auto writer = Writers().find(Extension(file));
    if (writer == Writers().end())
        return Named(file, "tags cannot be written to this kind of file");
    // Twins a killed write left go now, also when this write changes
    // nothing and so never reaches the rewrite that would remove them.
    std::error_code ec;
    if (const fs::path target = fs::canonical(file, ec); !ec)
        platform::RemoveStaleTemporariesOnce(target.parent_path());
    try {
        TTagEdit edit{info, {}};
        ReadTagInfo(file, edit.read);
        if (edit.values == edit.read)
            return {};
        const std::string problem = writer->second.write(file, edit);
        return problem.empty() ? problem : Named(file, problem + LikelyCause(file));
    } catch (const std::exception& error) {
        return error.what();
    }
}
