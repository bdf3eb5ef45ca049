// The decode phase of a job: the input into a 16-bit PCM WAV file.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "engine/Encoder.h"
#include "engine/Unzipfile.h"

namespace {

constexpr std::uint32_t BlockBytes = 10240;
constexpr std::size_t HeaderBytes = 44;

class WriteError : public std::runtime_error {
public:
    WriteError() : std::runtime_error("write data error!") {}
};

void PutLe(std::uint8_t* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

std::array<std::uint8_t, HeaderBytes> WavHeader(const AudioLibrary::ChannelInfo& info, std::uint32_t rate)
{
    const std::uint32_t channels = info.chans == 1 ? 1 : 2;
    const std::uint32_t blockAlign = channels * 2;
    std::array<std::uint8_t, HeaderBytes> header{};
    std::memcpy(header.data(), "RIFF\0\0\0\0WAVEfmt ", 16);
    PutLe(&header[16], 16, 4);
    PutLe(&header[20], 1, 2);
    PutLe(&header[22], channels, 2);
    PutLe(&header[24], rate, 4);
    PutLe(&header[28], blockAlign * rate, 4);
    PutLe(&header[32], blockAlign, 2);
    PutLe(&header[34], (info.flags & AudioLibrary::InfoFlag8Bits) ? 8 : 16, 2);
    std::memcpy(&header[36], "data", 4);
    return header;
}

// The whole buffer at offset, or throws: a short write is a full disk.
void WriteAt(int file, const void* data, std::size_t bytes, off_t offset)
{
    const auto* from = static_cast<const std::uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t written = pwrite(file, from, bytes, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw WriteError();
        from += written;
        bytes -= std::size_t(written);
        offset += written;
    }
}

// A length field beyond 4 GiB cannot be told; the largest value keeps
// readers going instead of a wrapped, tiny length.
void PatchLength(int file, std::uint64_t value, off_t offset)
{
    std::uint8_t field[4];
    PutLe(field, std::uint32_t(std::min<std::uint64_t>(value, 0xFFFFFFFF)), 4);
    WriteAt(file, field, sizeof field, offset);
}

class WavFile {
public:
    explicit WavFile(const std::filesystem::path& path)
        : descriptor_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
    {
        if (descriptor_ < 0)
            throw std::runtime_error("Cannot create file \"" + path.string() + "\". " +
                                     std::strerror(errno));
    }
    ~WavFile() { close(descriptor_); }
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;
    int Descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

std::int32_t Progress(AudioLibrary::Handle channel)
{
    const std::uint64_t length = AudioLibrary::ChannelGetLength(channel);
    if (length == 0)
        return 0;
    const std::uint64_t position = AudioLibrary::ChannelGetPosition(channel);
    return std::int32_t(std::min(double(position * 50) / double(length), 50.0));
}

}  // namespace

std::filesystem::path TEncoder::MakeTempWavName()
{
    // mkstemps creates the file, so no other process can take the name
    // between choosing and using it.
    std::string pattern = (engine::TempFolder() / "~XXXXXX.wav").string();
    const int file = mkstemps(pattern.data(), 4);
    if (file < 0)
        return {};
    close(file);
    return pattern;
}

bool TEncoder::DecodeToWav(const std::filesystem::path& target)
{
    Percent = 0;
    Channel = OpenInput(InputFile, AudioLibrary::FlagDecodeOnly, false, nullptr);
    if (Channel == 0) {
        ErrorText = "Open file failed!";
        return false;
    }
    bool failed = false;
    try {
        AudioLibrary::ChannelInfo info;
        AudioLibrary::ChannelGetInfo(Channel, info);
        const WavFile file(target);
        const auto header = WavHeader(info, AudioLibrary::ChannelGetRate(Channel));
        WriteAt(file.Descriptor(), header.data(), header.size(), 0);
        std::uint64_t dataBytes = 0;
        std::array<std::uint8_t, BlockBytes> block;
        while (AudioLibrary::ChannelIsActive(Channel)) {
            const std::int32_t got = AudioLibrary::ChannelGetData(Channel, block.data(), BlockBytes);
            if (got < 0)
                throw std::runtime_error("decode data error!");
            WriteAt(file.Descriptor(), block.data(), std::size_t(got), off_t(HeaderBytes + dataBytes));
            dataBytes += std::uint64_t(got);
            if (Cancelled)
                break;
            Percent = Progress(Channel);
        }
        PatchLength(file.Descriptor(), HeaderBytes + dataBytes - 8, 4);
        PatchLength(file.Descriptor(), dataBytes, 40);
    } catch (const std::exception& error) {
        ErrorText = error.what();
        failed = true;
    }
    FreeChannel(Channel);
    Channel = 0;
    if (!failed && Cancelled)
        ErrorText = "Operation is cancelled";
    return !failed && !Cancelled;
}
