// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApeWriter.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace mac {
namespace {

constexpr std::uint32_t kDescriptorBytes = 52;
constexpr std::uint32_t kHeaderBytes = 24;
constexpr std::uint16_t kVersion = 3990;
constexpr std::uint16_t kCreateWavHeader = 32;
constexpr std::uint64_t kMaxBlocks = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Names the cause, a full disk above all.
[[noreturn]] void WriteFailed()
{
    throw std::runtime_error(std::string("cannot write the output file: ") + std::strerror(errno));
}

void Write(wavio::OutputFile& file, const std::vector<std::uint8_t>& bytes)
{
    if (!file.Write(bytes.data(), bytes.size()))
        WriteFailed();
}

// Where the frames start when the seek table holds `frames` entries.
std::uint64_t FirstFrame(std::uint64_t frames)
{
    return kDescriptorBytes + kHeaderBytes + 4 * frames;
}

}  // namespace

ApeWriter::ApeWriter(wavio::OutputFile& file, const StreamShape& shape, std::uint64_t expectedBlocks)
    : file_(file), shape_(shape)
{
    if (expectedBlocks > kMaxBlocks)
        throw std::runtime_error("the input is too long for one Monkey's Audio file");
    const std::uint64_t frames = (expectedBlocks + shape.blocksPerFrame - 1) / shape.blocksPerFrame;
    reservedStart_ = FirstFrame(frames);
    frameStarts_.reserve(frames);
    Write(file_, std::vector<std::uint8_t>(reservedStart_, 0));
}

void ApeWriter::WriteFrame(const std::vector<std::uint8_t>& frame, std::uint32_t blocks)
{
    totalBlocks_ += blocks;
    if (totalBlocks_ > kMaxBlocks)
        throw std::runtime_error("the input is too long for one Monkey's Audio file");
    // The seek table will hold at least one entry per frame so far.
    if (FirstFrame(frameStarts_.size() + 1) + frameBytes_ > kMaxOffset)
        throw std::runtime_error("the output would pass the format's 4 GiB limit");
    frameStarts_.push_back(frameBytes_);
    Write(file_, frame);
    md5_.Update(frame.data(), frame.size());
    frameBytes_ += frame.size();
    lastBlocks_ = blocks;
}

std::vector<std::uint8_t> ApeWriter::Header() const
{
    std::vector<std::uint8_t> out;
    Put16(out, static_cast<std::uint32_t>(shape_.level));
    Put16(out, kCreateWavHeader);
    Put32(out, shape_.blocksPerFrame);
    Put32(out, lastBlocks_);
    Put32(out, TotalFrames());
    Put16(out, 16);
    Put16(out, static_cast<std::uint32_t>(shape_.channels));
    Put32(out, shape_.sampleRate);
    return out;
}

std::vector<std::uint8_t> ApeWriter::SeekTable(std::uint64_t firstFrame) const
{
    std::vector<std::uint8_t> out;
    for (const std::uint64_t start : frameStarts_)
        Put32(out, static_cast<std::uint32_t>(firstFrame + start));
    return out;
}

std::vector<std::uint8_t> ApeWriter::Descriptor(const std::array<std::uint8_t, 16>& md5) const
{
    std::vector<std::uint8_t> out = {'M', 'A', 'C', ' '};
    Put16(out, kVersion);
    Put16(out, 0);
    Put32(out, kDescriptorBytes);
    Put32(out, kHeaderBytes);
    Put32(out, 4 * TotalFrames());
    Put32(out, 0);  // no stored WAV header
    Put32(out, static_cast<std::uint32_t>(frameBytes_));
    Put32(out, static_cast<std::uint32_t>(frameBytes_ >> 32));
    Put32(out, 0);  // no data after the frames
    out.insert(out.end(), md5.begin(), md5.end());
    return out;
}

// The frames go right after a seek table of exactly one entry per frame.
void ApeWriter::PlaceFrames(std::uint64_t firstFrame)
{
    if (firstFrame + frameStarts_.back() > kMaxOffset)
        throw std::runtime_error("the output would pass the format's 4 GiB limit");
    if (firstFrame != reservedStart_ && !file_.MoveTail(reservedStart_, firstFrame))
        WriteFailed();
}

void ApeWriter::Finish()
{
    if (frameStarts_.empty())
        throw std::runtime_error("the input holds no samples");
    const std::uint64_t firstFrame = FirstFrame(TotalFrames());
    PlaceFrames(firstFrame);
    const std::vector<std::uint8_t> header = Header();
    const std::vector<std::uint8_t> seekTable = SeekTable(firstFrame);
    md5_.Update(header.data(), header.size());
    md5_.Update(seekTable.data(), seekTable.size());
    std::vector<std::uint8_t> start = Descriptor(md5_.Finish());
    start.insert(start.end(), header.begin(), header.end());
    start.insert(start.end(), seekTable.begin(), seekTable.end());
    if (!file_.WriteAt(0, start.data(), start.size()))
        WriteFailed();
}

}  // namespace mac
