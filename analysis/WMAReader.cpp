#include "analysis/WMAReader.h"

#include <array>
#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include "platform/Report.h"
#include "tags/classes/TagText.h"
#include "platform/SafeRewrite.h"
#include "tags/classes/TagError.h"

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

bool ReadAttributes(const fs::path& path, TTagsData& data)
{
    data = TTagsData{};
    TagLib::ASF::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return false;
    TagLib::ASF::Tag& tag = *file.tag();
    for (const auto& attribute : Attributes) {
        const Described which = DescribedAs(Upper(attribute.name));
        if (which != Described::None && !DescribedValue(tag, which).isEmpty())
            Store(data, attribute, Utf8(DescribedValue(tag, which)));
    }
    for (const auto& [name, list] : tag.attributeListMap()) {
        const AttributeField* attribute = FieldOfName(Upper(Utf8(name)));
        if (!attribute)
            continue;
        for (const auto& value : list)
            if (value.type() == TagLib::ASF::Attribute::UnicodeType)
                Store(data, *attribute, Utf8(value.toString()));
    }
    return true;
}

// The stored name of an attribute, matched without regard to case.
TagLib::String StoredName(TagLib::ASF::Tag& tag, const std::string& name)
{
    for (const auto& entry : tag.attributeListMap())
        if (Upper(Utf8(entry.first)) == Upper(name))
            return entry.first;
    return {};
}

void WriteAttribute(TagLib::ASF::Tag& tag, const AttributeField& attribute, const std::string& value)
{
    const Described which = DescribedAs(Upper(attribute.name));
    if (which != Described::None) {
        SetDescribed(tag, which, Wide(value));
        return;
    }
    const TagLib::String stored = StoredName(tag, attribute.name);
    if (value.empty()) {
        if (!stored.isEmpty())
            tag.removeItem(stored);
        return;
    }
    tag.setAttribute(stored.isEmpty() ? TagLib::String(attribute.name) : stored,
                     TagLib::ASF::Attribute(Wide(value)));
}

// Throws TagError when the copy is not readable as WMA.
bool WriteAttributes(const fs::path& copy, const TTagsData& data)
{
    TagLib::ASF::File file(copy.c_str(), false);
    if (!file.isValid() || !file.tag())
        throw TagError("Could not create Metadata Editor ($80004005).");
    for (const auto& attribute : Attributes)
        WriteAttribute(*file.tag(), attribute, data.*attribute.field);
    return file.save();
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

void WriteWmaTags(const TTagsData& data)
{
    std::error_code ec;
    if (!fs::is_regular_file(currentFile, ec))
        throw TagError("The file\r\n" + currentFile.string() + "\r\ndoes'nt exists!");
    // TagLib rewrites in place; editing a copy keeps the original safe.
    if (!platform::EditThroughCopy(currentFile, [&](const fs::path& copy) { return WriteAttributes(copy, data); }))
        platform::ReportMessage("Could not save Tags!");
}
