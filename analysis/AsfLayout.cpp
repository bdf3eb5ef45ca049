// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AsfLayout.h"

#include "analysis/FileReader.h"
#include "platform/SafeRewrite.h"
#include "tags/classes/TagError.h"

#include <array>
#include <sys/stat.h>
#include <unistd.h>

namespace analysis {
namespace {

using Guid = std::array<std::uint8_t, 16>;

constexpr Guid HeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                               0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid HeaderExtension = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid ContentDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid ExtendedDescription = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                      0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr std::uint64_t ObjectHeaderSize = 24;
constexpr std::uint16_t UnicodeDescriptor = 0;
constexpr std::size_t DescriptionFields = 5;  // title, author, copyright, description, rating
constexpr std::uint64_t DescriptionTextOffset = ObjectHeaderSize + 2 * DescriptionFields;  // GUID and 64-bit size
constexpr std::uint64_t HeaderObjectSize = 30;  // plus object count and two reserved bytes
constexpr std::uint64_t ExtensionDataOffset = 46;

struct Object {
    Guid guid{};
    std::uint64_t size = 0;
};

std::uint64_t ReadLE64(const std::uint8_t* p)
{
    return std::uint64_t(ReadLE32(p)) | std::uint64_t(ReadLE32(p + 4)) << 32;
}

void StoreLE64(std::uint8_t* p, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        p[i] = std::uint8_t(value >> (8 * i));
}

// The content description without its empty texts (a lone terminator);
// unchanged when it holds none or does not add up.
Bytes WithoutEmptyTexts(const Bytes& object)
{
    if (object.size() < DescriptionTextOffset)
        return object;
    Bytes lengths, texts;
    std::size_t at = DescriptionTextOffset;
    for (std::size_t i = 0; i < DescriptionFields; ++i) {
        const std::size_t length = ReadLE16(object.data() + ObjectHeaderSize + 2 * i);
        if (at + length > object.size())
            return object;
        const bool empty = length == 2 && object[at] == 0 && object[at + 1] == 0;
        const std::uint16_t kept = empty ? 0 : std::uint16_t(length);
        lengths.push_back(std::uint8_t(kept));
        lengths.push_back(std::uint8_t(kept >> 8));
        texts.insert(texts.end(), object.begin() + std::ptrdiff_t(at), object.begin() + std::ptrdiff_t(at + kept));
        at += length;
    }
    if (at != object.size())
        return object;
    Bytes result(object.begin(), object.begin() + std::ptrdiff_t(ObjectHeaderSize));
    StoreLE64(result.data() + 16, ObjectHeaderSize + lengths.size() + texts.size());
    result.insert(result.end(), lengths.begin(), lengths.end());
    result.insert(result.end(), texts.begin(), texts.end());
    return result;
}

// Where the content description object lies in the header; size 0 when none.
Object FindDescription(int fd, std::uint64_t headerSize, std::uint64_t& offset)
{
    std::array<std::uint8_t, ObjectHeaderSize> bytes{};
    for (offset = 30; offset + ObjectHeaderSize <= headerSize;) {
        if (!platform::ReadAt(fd, bytes.data(), bytes.size(), offset))
            break;
        Object object;
        std::copy(bytes.begin(), bytes.begin() + 16, object.guid.begin());
        object.size = ReadLE64(bytes.data() + 16);
        if (object.size < ObjectHeaderSize || object.size > headerSize - offset)
            break;
        if (object.guid == ContentDescription)
            return object;
        offset += object.size;
    }
    return {};
}

// Moves the bytes from offset to the end of the file count bytes down.
bool MoveTailDown(int fd, std::uint64_t offset, std::uint64_t count, std::uint64_t fileSize)
{
    Bytes chunk(1 << 16);
    for (std::uint64_t at = offset; at < fileSize;) {
        const std::size_t part = std::size_t(std::min<std::uint64_t>(chunk.size(), fileSize - at));
        if (!platform::ReadAt(fd, chunk.data(), part, at) || !platform::WriteAt(fd, chunk.data(), part, at - count))
            return false;
        at += part;
    }
    return ::ftruncate(fd, off_t(fileSize - count)) == 0;
}

std::optional<Object> ReadObject(const FileReader& file, std::uint64_t offset, std::uint64_t end)
{
    const Bytes bytes = file.Read(offset, ObjectHeaderSize);
    if (bytes.size() < ObjectHeaderSize)
        return std::nullopt;
    Object object;
    std::copy(bytes.begin(), bytes.begin() + 16, object.guid.begin());
    object.size = std::uint64_t(ReadLE32(bytes.data() + 16)) | std::uint64_t(ReadLE32(bytes.data() + 20)) << 32;
    if (object.size < ObjectHeaderSize || object.size > end - offset)
        return std::nullopt;
    return object;
}

// The objects from offset fill the region up to end exactly; count of them
// when count is given.
bool SoundObjects(const FileReader& file, std::uint64_t offset, std::uint64_t end, std::optional<std::uint32_t> count);

bool SoundExtension(const FileReader& file, std::uint64_t offset, std::uint64_t size)
{
    if (size < ExtensionDataOffset)
        return false;
    const Bytes length = file.Read(offset + ExtensionDataOffset - 4, 4);
    return length.size() == 4 && ReadLE32(length.data()) == size - ExtensionDataOffset &&
           SoundObjects(file, offset + ExtensionDataOffset, offset + size, std::nullopt);
}

bool SoundObjects(const FileReader& file, std::uint64_t offset, std::uint64_t end, std::optional<std::uint32_t> count)
{
    std::uint32_t found = 0;
    while (offset < end) {
        const auto object = ReadObject(file, offset, end);
        if (!object || (object->guid == HeaderExtension && !SoundExtension(file, offset, object->size)))
            return false;
        offset += object->size;
        ++found;
    }
    return !count || found == *count;
}

// The descriptors of an extended content description object's data.
std::vector<std::pair<Bytes, Bytes>> DescriptorTexts(const Bytes& data)
{
    std::vector<std::pair<Bytes, Bytes>> texts;
    if (data.size() < 2)
        return texts;
    const auto part = [&](std::size_t at, std::size_t length) {
        return Bytes(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + length));
    };
    std::size_t at = 2;
    for (std::uint16_t count = ReadLE16(data.data()); count > 0 && data.size() - at >= 2; --count) {
        const std::size_t nameLength = ReadLE16(data.data() + at);
        if (data.size() - at - 2 < nameLength + 4)
            break;
        const std::size_t typeAt = at + 2 + nameLength;
        const std::uint16_t type = ReadLE16(data.data() + typeAt);
        const std::size_t valueLength = ReadLE16(data.data() + typeAt + 2);
        if (data.size() - typeAt - 4 < valueLength)
            break;
        if (type == UnicodeDescriptor)
            texts.emplace_back(part(at + 2, nameLength), part(typeAt + 4, valueLength));
        at = typeAt + 4 + valueLength;
    }
    return texts;
}

}  // namespace

std::vector<std::pair<Bytes, Bytes>> ExtendedDescriptionTexts(const std::filesystem::path& path)
{
    try {
        const FileReader file(path);
        const auto header = ReadObject(file, 0, file.Size());
        if (!header || header->guid != HeaderObject)
            return {};
        for (std::uint64_t offset = HeaderObjectSize; offset < header->size;) {
            const auto object = ReadObject(file, offset, header->size);
            if (!object)
                break;
            if (object->guid == ExtendedDescription)
                return DescriptorTexts(file.Read(offset + ObjectHeaderSize, object->size - ObjectHeaderSize));
            offset += object->size;
        }
    } catch (const TagError&) {
    }
    return {};
}

std::optional<std::uint64_t> SoundAsfHeaderSize(const std::filesystem::path& path)
{
    try {
        const FileReader file(path);
        const auto header = ReadObject(file, 0, file.Size());
        if (!header || header->guid != HeaderObject || header->size < HeaderObjectSize)
            return std::nullopt;
        const Bytes count = file.Read(ObjectHeaderSize, 4);
        if (!SoundObjects(file, HeaderObjectSize, header->size, ReadLE32(count.data())))
            return std::nullopt;
        return header->size;
    } catch (const TagError&) {
        return std::nullopt;
    }
}

bool DropEmptyDescriptionTexts(int fd)
{
    struct stat info {};
    std::array<std::uint8_t, 30> header{};
    if (::fstat(fd, &info) != 0 || !platform::ReadAt(fd, header.data(), header.size(), 0))
        return false;
    const std::uint64_t headerSize = ReadLE64(header.data() + 16);
    std::uint64_t offset = 0;
    const Object found = FindDescription(fd, headerSize, offset);
    if (found.size == 0)
        return true;
    Bytes object(found.size);
    if (!platform::ReadAt(fd, object.data(), object.size(), offset))
        return false;
    const Bytes trimmed = WithoutEmptyTexts(object);
    const std::uint64_t cut = object.size() - trimmed.size();
    if (cut == 0)
        return true;
    StoreLE64(header.data() + 16, headerSize - cut);
    return platform::WriteAt(fd, trimmed.data(), trimmed.size(), offset) &&
           MoveTailDown(fd, offset + object.size(), cut, std::uint64_t(info.st_size)) &&
           platform::WriteAt(fd, header.data(), header.size(), 0);
}

}  // namespace analysis
