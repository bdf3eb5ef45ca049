#include "analysis/AsfLayout.h"

#include "analysis/FileReader.h"
#include "tags/classes/TagError.h"

#include <array>

namespace analysis {
namespace {

using Guid = std::array<std::uint8_t, 16>;

constexpr Guid HeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                               0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid HeaderExtension = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr std::uint64_t ObjectHeaderSize = 24;  // GUID and 64-bit size
constexpr std::uint64_t HeaderObjectSize = 30;  // plus object count and two reserved bytes
constexpr std::uint64_t ExtensionDataOffset = 46;

struct Object {
    Guid guid{};
    std::uint64_t size = 0;
};

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

}  // namespace

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

}  // namespace analysis
