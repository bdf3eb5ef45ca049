// SPDX-License-Identifier: GPL-3.0-or-later
// The decode phase of a job that goes through a file: the input into a
// 16-bit PCM WAV file.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "engine/ConversionJob.h"
#include "engine/PcmFeed.h"
#include "engine/Unzipfile.h"
#include "engine/WavHeader.h"
#include "platform/SafeRewrite.h"

namespace {

constexpr std::uint32_t BlockBytes = 10240;

class WriteError : public std::runtime_error {
public:
    WriteError() : std::runtime_error("write data error!") {}
};

// The whole buffer at offset, or throws: a short write is a full disk.
void WriteAt(int file, const void* data, std::size_t bytes, off_t offset)
{
    if (!platform::WriteAt(file, data, bytes, std::uint64_t(offset)))
        throw WriteError();
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

}  // namespace

std::filesystem::path TConversionJob::MakeTempWavName()
{
    // mkstemps creates the file, so no other process can take the name
    // between choosing and using it.
    std::string pattern = (std::filesystem::absolute(engine::TempFolder()) / "~XXXXXX.wav").string();
    const int file = mkstemps(pattern.data(), 4);
    if (file < 0)
        return {};
    close(file);
    return pattern;
}

bool TConversionJob::DecodeToWav(const std::filesystem::path& target)
{
    Percent = 0;
    if (!OpenDecoder())
        return false;
    bool failed = false;
    try {
        AudioLibrary::ChannelInfo info;
        AudioLibrary::ChannelGetInfo(Channel, info);
        const WavFile file(target);
        auto header = engine::WavHeader(info, AudioLibrary::ChannelGetRate(Channel));
        WriteAt(file.Descriptor(), header.data(), header.size(), 0);
        std::uint64_t dataBytes = 0;
        std::array<std::uint8_t, BlockBytes> block;
        while (AudioLibrary::ChannelIsActive(Channel)) {
            const std::int32_t got = AudioLibrary::ChannelGetData(Channel, block.data(), BlockBytes);
            if (got < 0)
                throw std::runtime_error("decode data error!");
            if (dataBytes + std::uint64_t(got) > engine::WavDataLimit)
                throw std::runtime_error("The input is too long for a WAV file (more than 4 GB of audio)");
            WriteAt(file.Descriptor(), block.data(), std::size_t(got), off_t(engine::WavHeaderBytes + dataBytes));
            dataBytes += std::uint64_t(got);
            CountDecoded(std::uint64_t(got));
            if (Cancelled)
                break;
            Percent = engine::DecodeProgress(Channel, 50);
        }
        decodeEnded_ = !Cancelled;
        engine::SetWavLengths(header, dataBytes);
        WriteAt(file.Descriptor(), header.data(), header.size(), 0);
    } catch (const std::exception& error) {
        ErrorText = error.what();
        failed = true;
    }
    CloseDecoder();
    if (!failed && Cancelled)
        ErrorText = "Operation is cancelled";
    return !failed && !Cancelled;
}
