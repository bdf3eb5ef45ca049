// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/WMAReader.h"

#include <array>
#include <optional>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/tfilestream.h>
#include <unistd.h>

#include "analysis/AsfLayout.h"
#include "platform/Report.h"
#include "platform/SafeRewrite.h"
#include "tags/classes/TagError.h"
#include "tags/classes/TagText.h"

namespace fs = std::filesystem;

namespace {

// The file a write goes to: the one read last.
fs::path currentFile;

struct AttributeField {
    const char* name;  // as written; read in upper case
    std::string TTagsData::*field;
    bool shortText;
};

// In writing order.
const std::array<AttributeField, 12> Attributes = {{
    {"WM/EncodedBy", &TTagsData::EncodedBy, true},
    {"WM/Genre", &TTagsData::Genre, true},
    {"Author", &TTagsData::Author, true},
    {"WM/Composer", &TTagsData::Composer, true},
    {"Title", &TTagsData::Title, true},
    {"WM/AlbumTitle", &TTagsData::AlbumTitle, true},
    {"WM/Year", &TTagsData::Year, true},
    {"WM/TrackNumber", &TTagsData::TrackNumber, true},
    {"WM/URL", &TTagsData::URL, true},
    {"Copyright", &TTagsData::Copyright, true},
    {"Description", &TTagsData::Description, false},
    {"WM/Lyrics", &TTagsData::Lyrics, false},
}};

// The four attributes that ASF keeps in its content description object.
enum class Described { None, Title, Author, Copyright, Description };

Described DescribedAs(const std::string& upperName)
{
    if (upperName == "TITLE") return Described::Title;
    if (upperName == "AUTHOR") return Described::Author;
    if (upperName == "COPYRIGHT") return Described::Copyright;
    if (upperName == "DESCRIPTION") return Described::Description;
    return Described::None;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

std::string Utf8(const TagLib::String& text) { return text.to8Bit(true); }

TagLib::String Wide(const std::string& text) { return TagLib::String(text, TagLib::String::UTF8); }


TagLib::String DescribedValue(TagLib::ASF::Tag& tag, Described which)
{
    switch (which) {
    case Described::Title: return tag.title();
    case Described::Author: return tag.artist();
    case Described::Copyright: return tag.copyright();
    case Described::Description: return tag.comment();
    case Described::None: break;
    }
    return {};
}

void SetDescribed(TagLib::ASF::Tag& tag, Described which, const TagLib::String& value)
{
    switch (which) {
    case Described::Title: tag.setTitle(value); break;
    case Described::Author: tag.setArtist(value); break;
    case Described::Copyright: tag.setCopyright(value); break;
    case Described::Description: tag.setComment(value); break;
    case Described::None: break;
    }
}

void Store(TTagsData& data, const AttributeField& attribute, const std::string& value)
{
    data.*attribute.field = attribute.shortText ? tagtext::FirstCharacters(value, WmaShortTextLength) : value;
}

const AttributeField* FieldOfName(const std::string& upperName)
{
    for (const auto& attribute : Attributes)
        if (Upper(attribute.name) == upperName)
            return &attribute;
    return nullptr;
}

// A string attribute; a track number may also be stored as a number.
std::optional<std::string> AttributeText(const TagLib::ASF::Attribute& value, const AttributeField& attribute)
{
    using Type = TagLib::ASF::Attribute::AttributeTypes;
    if (value.type() == Type::UnicodeType)
        return Utf8(value.toString());
    if (attribute.field != &TTagsData::TrackNumber)
        return std::nullopt;
    switch (value.type()) {
    case Type::DWordType: return std::to_string(value.toUInt());
    case Type::QWordType: return std::to_string(value.toULongLong());
    case Type::WordType: return std::to_string(value.toUShort());
    default: return std::nullopt;
    }
}

// Other taggers keep the link under this name; it fills URL when WM/URL is absent.
constexpr const char* AuthorUrl = "WM/AUTHORURL";

TTagsData RecordOf(TagLib::ASF::Tag& tag)
{
    TTagsData data;
    for (const auto& attribute : Attributes) {
        const Described which = DescribedAs(Upper(attribute.name));
        if (which != Described::None && !DescribedValue(tag, which).isEmpty())
            Store(data, attribute, Utf8(DescribedValue(tag, which)));
    }
    std::string authorUrl;
    for (const auto& [name, list] : tag.attributeListMap()) {
        const std::string upper = Upper(Utf8(name));
        const AttributeField* attribute = FieldOfName(upper);
        for (const auto& value : list) {
            if (upper == AuthorUrl && value.type() == TagLib::ASF::Attribute::UnicodeType)
                authorUrl = Utf8(value.toString());
            if (const auto text = attribute ? AttributeText(value, *attribute) : std::nullopt)
                Store(data, *attribute, *text);
        }
    }
    if (data.URL.empty() && !authorUrl.empty())
        Store(data, *FieldOfName("WM/URL"), authorUrl);
    return data;
}

bool ReadAttributes(const fs::path& path, TTagsData& data)
{
    data = TTagsData{};
    if (!analysis::SoundAsfHeaderSize(path))
        return false;
    TagLib::ASF::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return false;
    data = RecordOf(*file.tag());
    return true;
}

// The record as a later read gives it: short texts cut.
TTagsData AsRead(const TTagsData& data)
{
    TTagsData read;
    for (const auto& attribute : Attributes)
        Store(read, attribute, data.*attribute.field);
    return read;
}

// The stored name of an attribute, matched without regard to case.
TagLib::String StoredName(TagLib::ASF::Tag& tag, const std::string& name)
{
    for (const auto& entry : tag.attributeListMap())
        if (Upper(Utf8(entry.first)) == Upper(name))
            return entry.first;
    return {};
}

// Sets or, for an empty value, removes the attribute under its stored name.
void SetAttribute(TagLib::ASF::Tag& tag, const TagLib::String& stored, const std::string& name, const std::string& value)
{
    if (value.empty()) {
        if (!stored.isEmpty())
            tag.removeItem(stored);
        return;
    }
    tag.setAttribute(stored.isEmpty() ? TagLib::String(name) : stored, TagLib::ASF::Attribute(Wide(value)));
}

// A described value lives in the content description, and some writers
// repeat it as an attribute of the same name: both get the new value.
// A text too long for the content description's 16-bit length goes into an
// attribute of the same name instead, which can hold it.
void WriteAttribute(TagLib::ASF::Tag& tag, const AttributeField& attribute, const std::string& value)
{
    constexpr std::size_t DescribedUnits = 0x7FFF - 1;  // UTF-16 units beside the terminator
    const TagLib::String stored = StoredName(tag, attribute.name);
    const Described which = DescribedAs(Upper(attribute.name));
    const bool fits = Wide(value).data(TagLib::String::UTF16LE).size() / 2 <= DescribedUnits;
    if (which != Described::None)
        SetDescribed(tag, which, fits ? Wide(value) : TagLib::String());
    if (which == Described::None || !stored.isEmpty() || !fits)
        SetAttribute(tag, stored, attribute.name, value);
}

// Edits the copy; a field equal to what the file holds keeps its stored form.
bool EditAttributes(int copy, const TTagsData& data)
{
    const int descriptor = ::dup(copy);
    if (descriptor < 0)
        return false;
    TagLib::FileStream stream(descriptor, false);
    TagLib::ASF::File file(&stream, false);
    if (!file.isValid() || !file.tag())
        return false;
    const TTagsData before = RecordOf(*file.tag());
    for (const auto& attribute : Attributes)
        if (before.*attribute.field != data.*attribute.field)
            WriteAttribute(*file.tag(), attribute, data.*attribute.field);
    return file.save();
}

bool WriteAttributes(int copy, const TTagsData& data)
{
    return EditAttributes(copy, data) && analysis::DropEmptyDescriptionTexts(copy);
}

// The new file has a sound header holding exactly the new record, and after
// the header the old file's bytes.
bool WrittenAsMeant(const fs::path& written, const TTagsData& expected, std::uint64_t oldHeader)
{
    TTagsData back;
    const auto header = analysis::SoundAsfHeaderSize(written);
    std::error_code ec;
    const std::uint64_t rest = fs::file_size(currentFile, ec) - oldHeader;
    return header && ReadAttributes(written, back) && back == expected && !ec &&
           fs::file_size(written, ec) == *header + rest &&
           platform::SameBytes(currentFile, oldHeader, written, *header, rest);
}

}  // namespace

void ReadWmaTags(const fs::path& path, TTagsData& data)
{
    std::error_code ec;
    if (!fs::exists(path, ec))
        return;
    currentFile = path;
    if (!ReadAttributes(path, data))
        platform::ReportMessage("Could Not Load Tags!");
}

bool WriteWmaTags(const TTagsData& data)
{
    std::error_code ec;
    if (!fs::is_regular_file(currentFile, ec))
        throw TagError("The file\r\n" + currentFile.string() + "\r\ndoes'nt exists!");
    const auto header = analysis::SoundAsfHeaderSize(currentFile);
    TTagsData current;
    if (!header || !ReadAttributes(currentFile, current))
        throw TagError("Could not create Metadata Editor ($80004005).");
    // TagLib rewrites in place; it edits the safe rewrite's fresh copy.
    const TTagsData expected = AsRead(data);
    const bool written = platform::EditThroughCopy(
        currentFile, [&](int copy) { return WriteAttributes(copy, expected); },
        [&](const fs::path& copy) { return WrittenAsMeant(copy, expected, *header); });
    if (!written)
        platform::ReportMessage("Could not save Tags!");
    return written;
}
