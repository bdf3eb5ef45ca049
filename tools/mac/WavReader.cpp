#include "WavReader.h"

#include <array>
#include <cstring>
#include <system_error>

namespace mac {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t {p[0]} | std::uint32_t {p[1]} << 8 | std::uint32_t {p[2]} << 16 |
           std::uint32_t {p[3]} << 24;
}

bool Seek(std::FILE* file, std::uint64_t offset)
{
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

}  // namespace

bool WavReader::Open(const std::filesystem::path& path, std::string& problem)
{
    std::error_code error;
    const std::uint64_t fileSize = std::filesystem::file_size(path, error);
    if (error || !std::filesystem::is_regular_file(path, error)) {
        problem = "cannot read the input file";
        return false;
    }
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        problem = "cannot open the input file";
        return false;
    }
    std::array<std::uint8_t, 12> riff {};
    if (std::fread(riff.data(), 1, riff.size(), file_.get()) != riff.size() ||
        std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
        problem = "the input is not a WAV file";
        return false;
    }
    return ReadChunks(fileSize, problem);
}

bool WavReader::ReadChunks(std::uint64_t fileSize, std::string& problem)
{
    std::uint64_t offset = 12;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataBytes = 0;
    bool haveData = false;
    std::array<std::uint8_t, 8> head {};
    while (!(haveData && channels_ != 0) && offset + 8 <= fileSize && Seek(file_.get(), offset) &&
           std::fread(head.data(), 1, head.size(), file_.get()) == head.size()) {
        const std::uint32_t size = Le32(head.data() + 4);
        if (std::memcmp(head.data(), "fmt ", 4) == 0 && !ReadFormat(size, problem))
            return false;
        if (std::memcmp(head.data(), "data", 4) == 0 && !haveData) {
            haveData = true;
            dataOffset = offset + 8;
            dataBytes = std::min<std::uint64_t>(size, fileSize - dataOffset);
        }
        offset += 8 + std::uint64_t {size} + (size & 1);
    }
    if (channels_ == 0 || !haveData) {
        problem = "the input WAV has no format or no data chunk";
        return false;
    }
    totalBlocks_ = blocksLeft_ = dataBytes / (2u * channels_);
    if (totalBlocks_ == 0) {
        problem = "the input WAV holds no samples";
        return false;
    }
    if (!Seek(file_.get(), dataOffset)) {
        problem = "cannot read the input file";
        return false;
    }
    return true;
}

bool WavReader::ReadFormat(std::uint32_t size, std::string& problem)
{
    std::array<std::uint8_t, 26> fmt {};
    const std::size_t wanted = std::min<std::size_t>(size, fmt.size());
    if (size < 16 || std::fread(fmt.data(), 1, wanted, file_.get()) != wanted) {
        problem = "the input WAV has a broken format chunk";
        return false;
    }
    std::uint16_t tag = Le16(fmt.data());
    if (tag == kFormatExtensible && size >= fmt.size())
        tag = Le16(fmt.data() + 24);  // the sub-format's leading code
    const int channels = Le16(fmt.data() + 2);
    const std::uint32_t rate = Le32(fmt.data() + 4);
    const int blockAlign = Le16(fmt.data() + 12);
    const int bits = Le16(fmt.data() + 14);
    if (tag != kFormatPcm || bits != 16 || (channels != 1 && channels != 2) ||
        blockAlign != 2 * channels || rate == 0) {
        problem = "only 16-bit PCM WAV input, mono or stereo, can be compressed";
        return false;
    }
    channels_ = channels;
    sampleRate_ = rate;
    return true;
}

std::size_t WavReader::Read(std::int16_t* samples, std::size_t count)
{
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, blocksLeft_));
    const std::size_t values = count * channels_;
    bytes_.resize(values * 2);
    const std::size_t got = std::fread(bytes_.data(), 2u * channels_, count, file_.get());
    for (std::size_t i = 0; i < got * channels_; ++i)
        samples[i] = static_cast<std::int16_t>(Le16(bytes_.data() + 2 * i));
    blocksLeft_ -= got;
    return got;
}

}  // namespace mac
