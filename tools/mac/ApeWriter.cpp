#include "ApeWriter.h"

#include <limits>
#include <stdexcept>

namespace mac {
namespace {

constexpr std::uint32_t kDescriptorBytes = 52;
constexpr std::uint32_t kHeaderBytes = 24;
constexpr std::uint16_t kVersion = 3990;
constexpr std::uint16_t kCreateWavHeader = 32;

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

void Write(wavio::OutputFile& file, const std::vector<std::uint8_t>& bytes)
{
    if (!file.Write(bytes.data(), bytes.size()))
        throw std::runtime_error("cannot write the output file");
}

}  // namespace

ApeWriter::ApeWriter(wavio::OutputFile& file, const StreamShape& shape) : file_(file), shape_(shape)
{
    const std::uint64_t frames = (shape.totalBlocks + shape.blocksPerFrame - 1) / shape.blocksPerFrame;
    if (shape.totalBlocks > std::numeric_limits<std::int32_t>::max())
        throw std::runtime_error("the input is too long for one Monkey's Audio file");
    totalFrames_ = static_cast<std::uint32_t>(frames);
    firstFrame_ = kDescriptorBytes + kHeaderBytes + 4 * frames;
    seekTable_.reserve(totalFrames_);
    Write(file_, std::vector<std::uint8_t>(firstFrame_, 0));
}

void ApeWriter::WriteFrame(const std::vector<std::uint8_t>& frame)
{
    const std::uint64_t offset = firstFrame_ + frameBytes_;
    if (offset > std::numeric_limits<std::uint32_t>::max() || seekTable_.size() == totalFrames_)
        throw std::runtime_error("the output would pass the format's 4 GiB limit");
    seekTable_.push_back(static_cast<std::uint32_t>(offset));
    Write(file_, frame);
    md5_.Update(frame.data(), frame.size());
    frameBytes_ += frame.size();
}

std::vector<std::uint8_t> ApeWriter::Header() const
{
    const std::uint64_t lastBlocks = shape_.totalBlocks - std::uint64_t {totalFrames_ - 1} * shape_.blocksPerFrame;
    std::vector<std::uint8_t> out;
    Put16(out, static_cast<std::uint32_t>(shape_.level));
    Put16(out, kCreateWavHeader);
    Put32(out, shape_.blocksPerFrame);
    Put32(out, static_cast<std::uint32_t>(lastBlocks));
    Put32(out, totalFrames_);
    Put16(out, 16);
    Put16(out, static_cast<std::uint32_t>(shape_.channels));
    Put32(out, shape_.sampleRate);
    return out;
}

std::vector<std::uint8_t> ApeWriter::SeekTable() const
{
    std::vector<std::uint8_t> out;
    for (const std::uint32_t offset : seekTable_)
        Put32(out, offset);
    return out;
}

std::vector<std::uint8_t> ApeWriter::Descriptor(const std::array<std::uint8_t, 16>& md5) const
{
    std::vector<std::uint8_t> out = {'M', 'A', 'C', ' '};
    Put16(out, kVersion);
    Put16(out, 0);
    Put32(out, kDescriptorBytes);
    Put32(out, kHeaderBytes);
    Put32(out, 4 * totalFrames_);
    Put32(out, 0);  // no stored WAV header
    Put32(out, static_cast<std::uint32_t>(frameBytes_));
    Put32(out, static_cast<std::uint32_t>(frameBytes_ >> 32));
    Put32(out, 0);  // no data after the frames
    out.insert(out.end(), md5.begin(), md5.end());
    return out;
}

void ApeWriter::Finish()
{
    if (seekTable_.size() != totalFrames_)
        throw std::runtime_error("the input ended early");
    const std::vector<std::uint8_t> header = Header();
    const std::vector<std::uint8_t> seekTable = SeekTable();
    md5_.Update(header.data(), header.size());
    md5_.Update(seekTable.data(), seekTable.size());
    std::vector<std::uint8_t> start = Descriptor(md5_.Finish());
    start.insert(start.end(), header.begin(), header.end());
    start.insert(start.end(), seekTable.begin(), seekTable.end());
    if (!file_.WriteAt(0, start.data(), start.size()))
        throw std::runtime_error("cannot write the output file");
}

}  // namespace mac
