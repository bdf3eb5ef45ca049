// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/Mp4Boxes.h"

#include "analysis/FileReader.h"
#include "platform/SafeRewrite.h"
#include "tags/classes/TagError.h"

#include <unistd.h>

namespace fs = std::filesystem;

namespace mp4boxes {
namespace {

std::uint64_t ReadBE64(const std::uint8_t* p)
{
    return std::uint64_t(analysis::ReadBE32(p)) << 32 | analysis::ReadBE32(p + 4);
}

std::optional<Box> ReadBox(const analysis::FileReader& file, std::uint64_t offset)
{
    const analysis::Bytes bytes = file.Read(offset, 16);
    if (bytes.size() < 8)
        return std::nullopt;
    Box box;
    box.type.assign(bytes.begin() + 4, bytes.begin() + 8);
    box.offset = offset;
    box.headerSize = 8;
    box.size = analysis::ReadBE32(bytes.data());
    if (box.size == 1) {
        if (bytes.size() < 16)
            return std::nullopt;
        box.headerSize = 16;
        box.size = ReadBE64(bytes.data() + 8);
    } else if (box.size == 0) {
        box.toEnd = true;
        box.size = file.Size() - offset;
    }
    if (box.size < box.headerSize || box.size > file.Size() - offset)
        return std::nullopt;
    return box;
}

std::vector<const Box*> MediaData(const std::vector<Box>& boxes)
{
    std::vector<const Box*> media;
    for (const Box& box : boxes)
        if (box.type == "mdat")
            media.push_back(&box);
    return media;
}

}  // namespace

std::optional<std::vector<Box>> TopLevelBoxes(const fs::path& path)
{
    try {
        const analysis::FileReader file(path);
        std::vector<Box> boxes;
        for (std::uint64_t offset = 0; offset < file.Size(); offset += boxes.back().size) {
            const auto box = ReadBox(file, offset);
            if (!box)
                return std::nullopt;
            boxes.push_back(*box);
        }
        return boxes;
    } catch (const TagError&) {
        return std::nullopt;
    }
}

bool StoreEndBoxSize(int fd, const std::vector<Box>& boxes)
{
    if (boxes.empty() || !boxes.back().toEnd)
        return true;
    const std::uint64_t size = boxes.back().size;
    if (size > 0xFFFFFFFFu)
        return false;
    const std::uint8_t bytes[4] = {std::uint8_t(size >> 24), std::uint8_t(size >> 16), std::uint8_t(size >> 8),
                                   std::uint8_t(size)};
    return ::pwrite(fd, bytes, 4, off_t(boxes.back().offset)) == 4;
}

bool SameMediaData(const fs::path& a, const std::vector<Box>& aBoxes, const fs::path& b,
                   const std::vector<Box>& bBoxes)
{
    const auto first = MediaData(aBoxes);
    const auto second = MediaData(bBoxes);
    if (first.size() != second.size())
        return false;
    for (std::size_t i = 0; i < first.size(); ++i) {
        const std::uint64_t length = first[i]->size - first[i]->headerSize;
        if (second[i]->size - second[i]->headerSize != length ||
            !platform::SameBytes(a, first[i]->offset + first[i]->headerSize, b,
                                 second[i]->offset + second[i]->headerSize, length))
            return false;
    }
    return true;
}

}  // namespace mp4boxes
