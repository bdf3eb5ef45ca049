#include "tags/TagInfo.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

#include "analysis/AACfile.h"
#include "analysis/FLACfile.h"
#include "analysis/MPEGaudio.h"
#include "analysis/Monkey.h"
#include "analysis/Musepack.h"
#include "analysis/OggVorbis.h"
#include "analysis/OptimFROG.h"
#include "tags/TagKinds.h"

namespace fs = std::filesystem;

std::string& TagField(TTAGInfo& info, std::size_t index)
{
    std::string* const fields[] = {&info.Track,    &info.Title,     &info.Artist,    &info.Album,
                                   &info.Year,     &info.Comment,   &info.Genre,     &info.Composer,
                                   &info.EncodedBy, &info.Copyright, &info.Language, &info.URL};
    return *fields[index];
}

const std::string& TagField(const TTAGInfo& info, std::size_t index)
{
    return TagField(const_cast<TTAGInfo&>(info), index);
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

void ReadOgg(const fs::path& file, TTAGInfo& info)
{
    TOggVorbis ogg;
    if (!ogg.Load(file))
        return;
    info.Track = std::to_string(ogg.Track);
    info.Title = ogg.Title;
    info.Artist = ogg.Artist;
    info.Album = ogg.Album;
    info.Year = ogg.Date;
    info.Comment = ogg.Comment;
    info.Genre = ogg.Genre;
    info.EncodedBy = ogg.EncoderName();
}

void WriteOgg(const fs::path& file, const TTAGInfo& info)
{
    TOggVorbis ogg;
    if (!ogg.Load(file))
        return;
    ogg.Track = std::uint16_t(tagsteps::DecimalOrZero(info.Track));
    ogg.Title = info.Title;
    ogg.Artist = info.Artist;
    ogg.Album = info.Album;
    ogg.Date = info.Year;
    ogg.Comment = info.Comment;
    ogg.Genre = info.Genre;
    ogg.Save(file);
}

// Record field and FLAC comment field, in record order.
const std::array<std::string TFLACfile::*, 12> FlacFields = {
    &TFLACfile::TrackNumber, &TFLACfile::Title,    &TFLACfile::Artist,    &TFLACfile::Album,
    &TFLACfile::Date,        &TFLACfile::Comment,  &TFLACfile::Genre,     &TFLACfile::Composer,
    &TFLACfile::Encoder,     &TFLACfile::Copyright, &TFLACfile::Language, &TFLACfile::URL};

void ReadFlac(const fs::path& file, TTAGInfo& info)
{
    TFLACfile flac;
    if (!flac.Load(file))
        return;
    for (std::size_t i = 0; i < FlacFields.size(); ++i)
        TagField(info, i) = flac.*FlacFields[i];
}

void WriteFlac(const fs::path& file, const TTAGInfo& info)
{
    TFLACfile flac;
    if (!flac.Load(file))
        return;
    for (std::size_t i = 0; i < FlacFields.size(); ++i)
        flac.*FlacFields[i] = TagField(info, i);
    flac.Save(file, false);
}

void WriteThreeTags(const fs::path& file, const TTAGInfo& info)
{
    tagsteps::SaveID3v1Tag(file, info);
    tagsteps::SaveID3v2Tag(file, info);
    tagsteps::SaveAPETag(file, info);
}

// Neither format defines ID3v2: one already there is updated, none is added,
// so other readers never take the file for MP3.
void WriteTagsWithoutNewID3v2(const fs::path& file, const TTAGInfo& info)
{
    TID3v2 existing;
    tagsteps::SaveID3v1Tag(file, info);
    if (existing.Load(file) && existing.Exists())
        tagsteps::SaveID3v2Tag(file, info);
    tagsteps::SaveAPETag(file, info);
}

using Reader = std::function<void(const fs::path&, TTAGInfo&)>;
using Writer = std::function<void(const fs::path&, const TTAGInfo&)>;

const std::map<std::string, Reader>& Readers()
{
    static const std::map<std::string, Reader> readers = {
        {".aac", ReadThreeTags<TAACfile>},
        {".mp4", tagsteps::TagInfoFromMP4},
        {".m4a", tagsteps::TagInfoFromMP4},
        {".mp3", ReadMp3},
        {".ogg", ReadOgg},
        {".ape", ReadThreeTags<TMonkey>},
        {".flac", ReadFlac},
        {".mpc", ReadThreeTags<TMPEGplus>},
        {".ofr", ReadThreeTags<TOptimFrog>},
        {".wma", tagsteps::TagInfoFromWMA},
    };
    return readers;
}

const std::map<std::string, Writer>& Writers()
{
    static const std::map<std::string, Writer> writers = {
        {".aac", WriteThreeTags},
        {".mp3", WriteThreeTags},
        {".ape", WriteTagsWithoutNewID3v2},
        {".mpc", WriteTagsWithoutNewID3v2},
        {".ofr", WriteTagsWithoutNewID3v2},
        {".mp4", [](const fs::path& f, const TTAGInfo& i) { tagsteps::SaveMP4Tag(f, i); }},
        {".m4a", [](const fs::path& f, const TTAGInfo& i) { tagsteps::SaveMP4Tag(f, i); }},
        {".ogg", WriteOgg},
        {".flac", WriteFlac},
        {".wma", [](const fs::path& f, const TTAGInfo& i) { tagsteps::SaveWMATag(f, i); }},
    };
    return writers;
}

}  // namespace

void ReadTagInfo(const fs::path& file, TTAGInfo& info)
{
    if (const auto reader = Readers().find(Extension(file)); reader != Readers().end())
        reader->second(file, info);
}

void WriteTagInfo(const fs::path& file, TTAGInfo info)
{
    if (const auto writer = Writers().find(Extension(file)); writer != Writers().end())
        writer->second(file, info);
}
