// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FLACfile.h"

#include "analysis/FLACfields.h"
#include "analysis/FileReader.h"
#include "analysis/VorbisComments.h"

#include <algorithm>

using namespace analysis;

void TFLACfile::ClearFileHalf()
{
    StreamHeader = {};
    FileName.clear();
    PaddingIndex = 0;
    PaddingLast = false;
    PaddingSplit = false;
    CommentIndex = 0;
    PaddingSize = 0;
    StreamOffset = 0;
    CommentOffset = 0;
    AudioOffset = 0;
    Channels = 0;
    SampleRate = 0;
    BitsPerSample = 0;
    FileSize = 0;
    SampleCount = 0;
    BlocksWhole = false;
    OtherBlocks.clear();
}

void TFLACfile::ClearCommentHalf()
{
    Vendor.clear();
    CommentSize = 0;
    HasComments = false;
    for (const FLACfield& entry : FLACfields)
        (this->*entry.field).clear();
    ExtraFields.clear();
    RawComments.clear();
}

void TFLACfile::Clear()
{
    ClearFileHalf();
    ClearCommentHalf();
    ID3v2.Clear();
}

bool TFLACfile::IsValid() const
{
    return std::equal(StreamHeader.begin(), StreamHeader.begin() + 4, "fLaC") && Channels > 0 &&
           SampleRate > 0 && BitsPerSample > 0 && BlocksWhole;
}

// The non-empty comment standing in for an empty field; null when none.
const std::string* TFLACfile::StandIn(std::string TFLACfile::*field) const
{
    const auto own = std::find_if(FLACfields.begin(), FLACfields.end(),
                                  [&](const FLACfield& f) { return f.field == field; });
    if (own == FLACfields.end() || !(this->*field).empty())
        return nullptr;
    const std::string_view other = FallbackCommentName(own->name);
    if (other.empty())
        return nullptr;
    for (const FLACfield& known : FLACfields)
        if (known.name == other && !(this->*known.field).empty())
            return &(this->*known.field);
    for (const auto& [name, value] : ExtraFields)
        if (name == other && !value.empty())
            return &value;
    return nullptr;
}

std::string TFLACfile::TagValue(std::string TFLACfile::*field) const
{
    const std::string* standIn = StandIn(field);
    return standIn ? *standIn : this->*field;
}

void TFLACfile::SetTagValue(std::string TFLACfile::*field, const std::string& value)
{
    std::string* const standIn = const_cast<std::string*>(StandIn(field));
    if (!standIn) {
        this->*field = value;
        return;
    }
    *standIn = value;
    if (value.empty())
        std::erase_if(ExtraFields, [&](const auto& extra) { return &extra.second == standIn; });
}

bool TFLACfile::Load(const std::filesystem::path& path)
{
    Clear();
    return ReadFile(path, true);
}

bool TFLACfile::ReadFile(const std::filesystem::path& path, bool withComments)
{
    ClearFileHalf();
    CommentSize = 0;
    const FileReader file(path);
    ID3v2.Load(path);
    FileSize = file.Size();
    FileName = path;
    StreamOffset = ID3v2.Exists() ? std::uint64_t(std::max(ID3v2.Size(), 0)) : 0;
    const Bytes header = file.Read(StreamOffset, flac::StreamHeaderSize);
    std::copy(header.begin(), header.end(), StreamHeader.begin());
    // STREAMINFO must come first and be whole.
    const std::uint8_t* info = StreamHeader.data() + 8;
    if (!StartsWith(header, "fLaC") || (StreamHeader[4] & 0x7F) != 0 ||
        ReadBE24(StreamHeader.data() + 5) != 34)
        return false;
    SampleRate = std::uint32_t(info[10]) << 12 | std::uint32_t(info[11]) << 4 | info[12] >> 4;
    Channels = std::uint8_t(((info[12] >> 1) & 7) + 1);
    BitsPerSample = std::uint8_t((((info[12] & 1) << 4) | (info[13] >> 4)) + 1);
    SampleCount = ReadBE32(info + 14);
    AudioOffset = StreamOffset + 8 + ReadBE24(StreamHeader.data() + 5);
    BlocksWhole = (StreamHeader[4] & flac::LastBlock) || WalkBlocks(file, withComments);
    return IsValid();
}

// Walks the blocks after STREAMINFO up to the one flagged last. Blocks of
// length 0 are walked over like any other, so AudioOffset always ends at
// the first audio frame. False when a block is unknown or passes the end.
bool TFLACfile::WalkBlocks(const FileReader& file, bool withComments)
{
    for (std::uint32_t index = 1;; ++index) {
        const Bytes header = file.Read(AudioOffset, 4);
        if (header.size() < 4)
            return false;
        TMetaDataBlock block;
        std::copy(header.begin(), header.end(), block.Header.begin());
        const std::uint8_t type = header[0] & 0x7F;
        const std::uint32_t length = ReadBE24(header.data() + 1);
        const std::uint64_t data = AudioOffset + 4;
        if (type > flac::Picture || data + length > FileSize)
            return false;
        AudioOffset = data + length;
        if (type == flac::VorbisComment && CommentIndex == 0) {
            CommentOffset = data;
            CommentSize = length;
            CommentIndex = index;
            ReadComments(file.Read(data, length), withComments);
        } else if (type == flac::Padding && PaddingIndex == 0) {
            PaddingSize = length;
            PaddingLast = header[0] & flac::LastBlock;
            PaddingIndex = index;
        } else {
            PaddingSplit = PaddingSplit || type == flac::Padding;
            block.Data = file.Read(data, length);
            OtherBlocks.push_back(std::move(block));
        }
        if (header[0] & flac::LastBlock)
            return true;
    }
}

void TFLACfile::ReadComments(const Bytes& data, bool withComments)
{
    const VorbisCommentList list = ParseVorbisComments(data);
    Vendor = list.vendor;
    HasComments = !list.items.empty();
    RawComments = list.items;
    if (!withComments)
        return;
    for (const std::string& item : list.items) {
        auto split = SplitCommentItem(item);
        if (!split)
            continue;
        const auto known = std::find_if(FLACfields.begin(), FLACfields.end(),
                                        [&](const FLACfield& f) { return split->name == f.name; });
        if (known != FLACfields.end() && (this->*known->field).empty())
            this->*known->field = std::move(split->value);
        else
            ExtraFields.emplace_back(std::move(split->name), std::move(split->value));
    }
}
