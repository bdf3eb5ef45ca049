// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/WMAReader.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>
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
};

// In writing order.
const std::array<AttributeField, 12> Attributes = {{
    {"WM/EncodedBy", &TTagsData::EncodedBy},
    {"WM/Genre", &TTagsData::Genre},
    {"Author", &TTagsData::Author},
    {"WM/Composer", &TTagsData::Composer},
    {"Title", &TTagsData::Title},
    {"WM/AlbumTitle", &TTagsData::AlbumTitle},
    {"WM/Year", &TTagsData::Year},
    {"WM/TrackNumber", &TTagsData::TrackNumber},
    {"WM/URL", &TTagsData::URL},
    {"Copyright", &TTagsData::Copyright},
    {"Description", &TTagsData::Description},
    {"WM/Lyrics", &TTagsData::Lyrics},
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

// Adds a value to the field's, once.
void Store(TTagsData& data, const AttributeField& attribute, const std::string& value)
{
    std::vector<std::string> values = tagtext::SplitAtNul(data.*attribute.field);
    if (std::find(values.begin(), values.end(), value) == values.end())
        values.push_back(value);
    data.*attribute.field = tagtext::JoinWithNul(values);
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

// By upper-case name, the value other readers see first: the one in the
// extended content description. TagLib may read it after the others.
using LeadingValues = std::map<std::string, std::string>;

std::string FromUtf16(const analysis::Bytes& bytes)
{
    const TagLib::ByteVector data(reinterpret_cast<const char*>(bytes.data()), static_cast<unsigned>(bytes.size()));
    std::string text = Utf8(TagLib::String(data, TagLib::String::UTF16LE));
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

LeadingValues ReadLeadingValues(const fs::path& path)
{
    LeadingValues leading;
    for (const auto& [name, value] : analysis::ExtendedDescriptionTexts(path))
        leading.emplace(Upper(FromUtf16(name)), FromUtf16(value));
    return leading;
}

// The list with the value other readers see first in front.
TagLib::ASF::AttributeList LeadingFirst(const TagLib::ASF::AttributeList& list, const std::string& leading)
{
    TagLib::ASF::AttributeList ordered;
    for (const auto& value : list)
        if (value.type() == TagLib::ASF::Attribute::UnicodeType && Utf8(value.toString()) == leading) {
            ordered.append(value);
            break;
        }
    if (ordered.isEmpty())
        return list;
    bool skipped = false;
    for (const auto& value : list) {
        if (!skipped && value.type() == TagLib::ASF::Attribute::UnicodeType && Utf8(value.toString()) == leading) {
            skipped = true;
            continue;
        }
        ordered.append(value);
    }
    return ordered;
}

// Puts every attribute's leading value first, where TagLib's save keeps it:
// in the extended content description, so other readers' order stays.
void OrderLeadingFirst(TagLib::ASF::Tag& tag, const LeadingValues& leading)
{
    std::vector<std::pair<TagLib::String, TagLib::ASF::AttributeList>> reordered;
    for (const auto& [name, list] : tag.attributeListMap())
        if (const auto found = leading.find(Upper(Utf8(name))); found != leading.end() && list.size() > 1)
            reordered.emplace_back(name, LeadingFirst(list, found->second));
    for (const auto& [name, list] : reordered)
        tag.setAttribute(name, list);
}

// Other taggers keep the link under this name; it fills URL when WM/URL is absent.
constexpr const char* AuthorUrl = "WM/AUTHORURL";

TTagsData RecordOf(TagLib::ASF::Tag& tag, const LeadingValues& leading)
{
    OrderLeadingFirst(tag, leading);
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
    data = RecordOf(*file.tag(), ReadLeadingValues(path));
    return true;
}

// Whether two records hold the same values, whatever their order: ASF
// keeps an attribute's values apart by the object that holds them.
bool SameValues(const TTagsData& a, const TTagsData& b)
{
    for (const auto& attribute : Attributes) {
        std::vector<std::string> left = tagtext::SplitAtNul(a.*attribute.field), right = tagtext::SplitAtNul(b.*attribute.field);
        std::sort(left.begin(), left.end());
        std::sort(right.begin(), right.end());
        if (left != right)
            return false;
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

// Sets or, without values, removes the attribute under its stored name.
void SetAttribute(TagLib::ASF::Tag& tag, const TagLib::String& stored, const std::string& name,
                  const std::vector<std::string>& values)
{
    if (!stored.isEmpty())
        tag.removeItem(stored);
    if (values.empty())
        return;
    TagLib::ASF::AttributeList list;
    for (const std::string& value : values)
        list.append(TagLib::ASF::Attribute(Wide(value)));
    tag.setAttribute(stored.isEmpty() ? TagLib::String(name) : stored, list);
}

// Whether the attribute repeats the content description's value, as FFmpeg
// writes it: then it keeps every value, so both copies stay alike.
bool RepeatsDescribed(TagLib::ASF::Tag& tag, const TagLib::String& stored, Described which)
{
    if (stored.isEmpty() || which == Described::None)
        return false;
    const TagLib::ASF::AttributeList list = tag.attribute(stored);
    return !list.isEmpty() && list.front().toString() == DescribedValue(tag, which);
}

// A described field's first value lives in the content description, its
// other values in attributes of the same name. A text too long for the
// content description's 16-bit length goes into an attribute instead,
// which can hold it.
void WriteAttribute(TagLib::ASF::Tag& tag, const AttributeField& attribute, const std::string& joined)
{
    constexpr std::size_t DescribedUnits = 0x7FFF - 1;  // UTF-16 units beside the terminator
    std::vector<std::string> values = tagtext::SplitAtNul(joined);
    const TagLib::String stored = StoredName(tag, attribute.name);
    const Described which = DescribedAs(Upper(attribute.name));
    const bool repeated = RepeatsDescribed(tag, stored, which);
    if (which != Described::None) {
        const bool fits = values.empty() ||
                          Wide(values.front()).data(TagLib::String::UTF16LE).size() / 2 <= DescribedUnits;
        SetDescribed(tag, which, fits && !values.empty() ? Wide(values.front()) : TagLib::String());
        if (fits && !values.empty() && !repeated)
            values.erase(values.begin());
    }
    SetAttribute(tag, stored, attribute.name, values);
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
    const TTagsData before = RecordOf(*file.tag(), ReadLeadingValues(currentFile));
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
    return header && ReadAttributes(written, back) && SameValues(back, expected) && !ec &&
           fs::file_size(written, ec) == *header + rest &&
           platform::SameBytes(currentFile, oldHeader, written, *header, rest);
}

}  // namespace

void OrderAsOtherReaders(TagLib::ASF::Tag& tag, const fs::path& path)
{
    OrderLeadingFirst(tag, ReadLeadingValues(path));
}

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
    const TTagsData& expected = data;
    const bool written = platform::EditThroughCopy(
        currentFile, [&](int copy) { return WriteAttributes(copy, expected); },
        [&](const fs::path& copy) { return WrittenAsMeant(copy, expected, *header); });
    if (!written)
        platform::ReportMessage("Could not save Tags!");
    return written;
}
