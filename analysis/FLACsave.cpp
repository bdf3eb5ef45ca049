// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FLACfile.h"

#include "analysis/CommentText.h"
#include "analysis/FLACfields.h"
#include "analysis/FileReader.h"
#include "analysis/VorbisComments.h"
#include "platform/SafeRewrite.h"

namespace fs = std::filesystem;
using namespace analysis;

namespace {

constexpr std::uint32_t RebuiltPadding = 4096;
constexpr const char* DefaultVendor = "reference libFLAC 1.1.0 20030126";

void AppendBlockHeader(Bytes& out, std::uint8_t flagsAndType, std::uint32_t length)
{
    out.push_back(flagsAndType);
    AppendBE24(out, length);
}

void AppendPadding(Bytes& out, bool last, std::uint32_t length)
{
    AppendBlockHeader(out, flac::Padding | (last ? flac::LastBlock : 0), length);
    out.insert(out.end(), length, std::uint8_t(0));
}

// The blocks that move with a rebuilt metadata area: all but paddings, none
// flagged last.
Bytes CollectOtherBlocks(const std::vector<TMetaDataBlock>& blocks)
{
    Bytes out;
    for (const TMetaDataBlock& block : blocks) {
        if ((block.Header[0] & 0x7F) == flac::Padding)
            continue;
        out.push_back(block.Header[0] & std::uint8_t(~flac::LastBlock));
        out.insert(out.end(), block.Header.begin() + 1, block.Header.end());
        out.insert(out.end(), block.Data.begin(), block.Data.end());
    }
    return out;
}

// A rebuilt file must read back as a valid stream holding the new comment
// block, and its audio frames must be the old ones byte for byte.
bool ReadsBack(const fs::path& path, const Bytes& comments, const fs::path& original, const TFLACfile& old)
{
    TFLACfile check;
    if (!check.Load(path) || check.CommentIndex == 0 || check.CommentSize != comments.size() ||
        check.FileSize - check.AudioOffset != old.FileSize - old.AudioOffset)
        return false;
    const FileReader file(path);
    return file.Read(check.CommentOffset, check.CommentSize) == comments &&
           platform::SameBytes(original, old.AudioOffset, path, check.AudioOffset, old.FileSize - old.AudioOffset);
}

}  // namespace

Bytes TFLACfile::BuildCommentData(bool commonOnly) const
{
    std::vector<std::string> items;
    for (const FLACfield& entry : FLACfields) {
        const std::string& value = this->*entry.field;
        if (!value.empty() && (entry.common || !commonOnly))
            items.push_back(JoinCommentItem(entry.name, value));
    }
    for (const auto& [name, value] : ExtraFields)
        if (!commonOnly && !TrimControls(name).empty())
            items.push_back(JoinCommentItem(name, value));
    return BuildVorbisComments(Vendor.empty() ? DefaultVendor : Vendor, items);
}

bool TFLACfile::Save(const fs::path& path, bool commonOnly)
{
    return SaveCommentData(path, [&] { return BuildCommentData(commonOnly); });
}

bool TFLACfile::SaveComments(const fs::path& path, const std::vector<std::string>& items)
{
    return SaveCommentData(path, [&] { return BuildVorbisComments(Vendor, items); });
}

bool TFLACfile::SaveCommentData(const fs::path& path, const std::function<Bytes()>& build)
{
    std::error_code ec;
    if (!fs::exists(path, ec) || !ReadFile(path, false))
        return platform::RefuseRewrite("not a FLAC stream");
    if (Vendor.empty())
        Vendor = DefaultVendor;
    const Bytes comments = build();
    const bool written = Rewrite(path, comments);
    HasComments = written && comments.size() > Vendor.size() + 8;
    return written;
}

bool TFLACfile::Rewrite(const fs::path& path, const Bytes& comments)
{
    if (comments.size() > flac::MaxBlockLength)
        return platform::RefuseRewrite("the comments do not fit in one FLAC block");
    if (!platform::MakeWritable(path))
        return false;
    const std::int64_t n = std::int64_t(comments.size());
    const bool hasRoom = CommentIndex > 0 && std::int64_t(PaddingSize) > n - std::int64_t(CommentSize);
    const bool reuse = hasRoom && PaddingIndex == CommentIndex + 1 && !PaddingSplit;
    const Bytes others = reuse ? Bytes() : CollectOtherBlocks(OtherBlocks);

    // In place the new blocks fill exactly the area they replace: the comment
    // block and the padding after it, or every block behind STREAMINFO.
    const std::uint64_t areaStart = reuse ? CommentOffset - 4 : StreamOffset + flac::StreamHeaderSize;
    const std::uint64_t areaEnd = reuse ? CommentOffset + CommentSize + 4 + PaddingSize : AudioOffset;
    const std::int64_t padding = std::int64_t(areaEnd - areaStart) - std::int64_t(others.size()) - 8 - n;
    if (hasRoom && padding >= 0 && padding <= flac::MaxBlockLength) {
        Bytes area = others;
        AppendBlockHeader(area, flac::VorbisComment, std::uint32_t(n));
        area.insert(area.end(), comments.begin(), comments.end());
        AppendPadding(area, PaddingLast || !reuse, std::uint32_t(padding));
        return platform::OverwriteInPlace(path, areaStart, area);
    }

    Bytes head(StreamHeader.begin(), StreamHeader.end());
    head[4] &= std::uint8_t(~flac::LastBlock);
    head.insert(head.end(), others.begin(), others.end());
    AppendBlockHeader(head, flac::VorbisComment, std::uint32_t(n));
    head.insert(head.end(), comments.begin(), comments.end());
    AppendPadding(head, true, RebuiltPadding);
    return platform::RewriteFile(
        path,
        [&](platform::RewriteOutput& out) {
            return out.CopyOriginal(0, StreamOffset) && out.Write(head) &&
                   out.CopyOriginal(AudioOffset, FileSize - AudioOffset);
        },
        [&](const fs::path& written) { return ReadsBack(written, comments, path, *this); });
}
