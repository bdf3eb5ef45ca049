// SPDX-License-Identifier: GPL-3.0-or-later
// The decode phase of a job that goes through a file: the input into a
// PCM WAV file.

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

class WavFile {
public:
    explicit WavFile(const std::filesystem::path& path)
        : path_(path), descriptor_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644))
    {
        if (descriptor_ < 0)
            throw std::runtime_error("Cannot create file \"" + path.string() + "\". " +
                                     std::strerror(errno));
    }
    ~WavFile() { close(descriptor_); }
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;

    // The whole buffer at offset, or throws naming the file and the reason
    // (a short write is a full disk).
    void WriteAt(const void* data, std::size_t bytes, std::uint64_t offset) const
    {
        if (!platform::WriteAt(descriptor_, data, bytes, offset))
            throw std::runtime_error("Cannot write the file \"" + path_.string() + "\": " + std::strerror(errno));
    }

private:
    std::filesystem::path path_;
    int descriptor_;
};

}  // namespace

std::filesystem::path TConversionJob::MakeTempWavName(std::error_code& error)
{
    // mkostemps creates the file, so no other process can take the name
    // between choosing and using it.
    std::string pattern = (std::filesystem::absolute(engine::TempFolder(), error) / "~XXXXXX.wav").string();
    if (error)
        return {};
    const int file = mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (file < 0) {
        error = {errno, std::generic_category()};
        return {};
    }
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
        file.WriteAt(header.data(), header.size(), 0);
        std::uint64_t dataBytes = 0;
        std::array<std::uint8_t, BlockBytes> block;
        while (AudioLibrary::ChannelIsActive(Channel)) {
            const std::int32_t got = AudioLibrary::ChannelGetData(Channel, block.data(), BlockBytes);
            if (got < 0)
                throw std::runtime_error("decode data error!");
            if (dataBytes + std::uint64_t(got) > engine::WavDataLimit)
                throw std::runtime_error("The input is too long for a WAV file (more than 4 GB of audio)");
            file.WriteAt(block.data(), std::size_t(got), header.size() + dataBytes);
            dataBytes += std::uint64_t(got);
            CountDecoded(std::uint64_t(got));
            if (Cancelled)
                break;
            Percent = engine::DecodeProgress(Channel, 50);
        }
        decodeEnded_ = !Cancelled;
        engine::SetWavLengths(header, dataBytes);
        file.WriteAt(header.data(), header.size(), 0);
    } catch (const std::exception& error) {
        ErrorText = error.what();
        failed = true;
    }
    CloseDecoder();
    if (!failed && Cancelled)
        ErrorText = "Operation is cancelled";
    return !failed && !Cancelled;
}
