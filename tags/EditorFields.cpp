// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/EditorFields.h"

#include <array>

namespace fs = std::filesystem;

namespace {

const std::string Separator = "; ";

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

template <TagFieldPointer Field>
std::string RecordText(const TEditedFile& file)
{
    return file.record.*Field;
}

template <TagFieldPointer Field>
void SetRecordText(TEditedFile& file, const std::string& text)
{
    SetTagValues(file.record, TagFieldIndex(Field), {text});
}

template <TagFieldPointer Field>
std::string RecordValues(const TEditedFile& file)
{
    return JoinEditorValues(TagValues(file.record, TagFieldIndex(Field)));
}

template <TagFieldPointer Field>
void SetRecordValues(TEditedFile& file, const std::string& text)
{
    SetTagValues(file.record, TagFieldIndex(Field), SplitEditorValues(text));
}

template <TagFieldPointer Field>
bool RecordWritable(const fs::path& path)
{
    return TagFieldWritable(path, TagFieldIndex(Field));
}

// The memo shows plain lines whatever line ends the comment was stored with.
std::string MemoText(const TEditedFile& file)
{
    std::string text;
    const std::string& comment = file.record.Comment;
    for (std::size_t i = 0; i < comment.size(); ++i) {
        if (comment[i] == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n')
            continue;
        text += comment[i] == '\r' ? '\n' : comment[i];
    }
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string NumberPart(const std::string& pair)
{
    return pair.substr(0, pair.find('/'));
}

std::string TotalPart(const std::string& pair)
{
    const std::size_t slash = pair.find('/');
    return slash == std::string::npos ? std::string() : pair.substr(slash + 1);
}

// A total needs a number to go with it in the combined form.
std::string Pair(const std::string& number, const std::string& total)
{
    if (number.empty())
        return {};
    return total.empty() ? number : number + "/" + total;
}

std::string TrackNumber(const TEditedFile& file) { return NumberPart(file.record.Track); }
std::string TrackTotal(const TEditedFile& file) { return TotalPart(file.record.Track); }
void SetTrackNumber(TEditedFile& file, const std::string& text)
{
    file.record.Track = Pair(Trimmed(text), TotalPart(file.record.Track));
}
void SetTrackTotal(TEditedFile& file, const std::string& text)
{
    file.record.Track = Pair(NumberPart(file.record.Track), Trimmed(text));
}

std::string AlbumArtist(const TEditedFile& file) { return file.extras.albumArtist; }
std::string Disc(const TEditedFile& file) { return file.extras.disc; }
std::string DiscTotal(const TEditedFile& file) { return file.extras.discTotal; }
void SetAlbumArtist(TEditedFile& file, const std::string& text) { file.extras.albumArtist = text; }
void SetDisc(TEditedFile& file, const std::string& text) { file.extras.disc = Trimmed(text); }
void SetDiscTotal(TEditedFile& file, const std::string& text) { file.extras.discTotal = Trimmed(text); }
bool ExtrasWritable(const fs::path& path) { return extratags::HoldsEditableExtras(path); }

template <TagFieldPointer Field>
constexpr TEditorField Plain(const char* name)
{
    return {name, RecordText<Field>, SetRecordText<Field>, RecordWritable<Field>};
}

template <TagFieldPointer Field>
constexpr TEditorField Several(const char* name)
{
    return {name, RecordValues<Field>, SetRecordValues<Field>, RecordWritable<Field>};
}

constexpr std::array<TEditorField, std::size_t(EditorFieldId::Count)> Fields = {{
    Plain<&TTAGInfo::Title>("Title"),
    Several<&TTAGInfo::Artist>("Artist"),
    Plain<&TTAGInfo::Album>("Album"),
    {"AlbumArtist", AlbumArtist, SetAlbumArtist, ExtrasWritable},
    Plain<&TTAGInfo::Year>("Year"),
    {"Track", TrackNumber, SetTrackNumber, RecordWritable<&TTAGInfo::Track>},
    {"TrackTotal", TrackTotal, SetTrackTotal, RecordWritable<&TTAGInfo::Track>},
    {"Disc", Disc, SetDisc, ExtrasWritable},
    {"DiscTotal", DiscTotal, SetDiscTotal, ExtrasWritable},
    Several<&TTAGInfo::Genre>("Genre"),
    {"Comment", MemoText, SetRecordText<&TTAGInfo::Comment>, RecordWritable<&TTAGInfo::Comment>},
    Plain<&TTAGInfo::Copyright>("Copyright"),
    Plain<&TTAGInfo::URL>("URL"),
    Plain<&TTAGInfo::EncodedBy>("EncodedBy"),
}};

}  // namespace

const TEditorField& EditorField(EditorFieldId id)
{
    return Fields[std::size_t(id)];
}

bool SameFieldText(const std::vector<TEditedFile>& files, EditorFieldId id, std::string& text)
{
    const TEditorField& field = EditorField(id);
    text = files.empty() ? std::string() : field.get(files.front());
    for (const TEditedFile& file : files)
        if (field.get(file) != text)
            return false;
    return true;
}

std::vector<std::string> SplitEditorValues(const std::string& text)
{
    std::vector<std::string> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        if (std::string value = Trimmed(text.substr(start, end - start)); !value.empty())
            values.push_back(std::move(value));
        start = end + 1;
    }
    return values;
}

std::string JoinEditorValues(const std::vector<std::string>& values)
{
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : Separator) + value;
    return text;
}

void NumberTracks(std::vector<TEditedFile>& files)
{
    const std::string total = std::to_string(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i].record.Track = std::to_string(i + 1) + "/" + total;
}
