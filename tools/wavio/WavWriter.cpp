// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavio/WavWriter.h"

#include <cerrno>
#include <cstring>

namespace wavio {

bool WavWriter::Open(const std::filesystem::path& target, const WavFormat& format, std::string& error)
{
    if (!IsSupported(format)) {
        error = "unsupported output layout";
        return false;
    }
    format_ = format;
    if (!file_.Create(target, error))
        return false;
    const auto header = MakeWavHeader(format_, 0);
    if (!file_.Write(header.data(), header.size())) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool WavWriter::Write(const std::uint8_t* data, std::size_t bytes, std::string& error)
{
    if (dataBytes_ + bytes > MaxWavDataBytes) {
        error = "the output would pass the 4 GiB limit of a WAV file";
        return false;
    }
    if (!file_.Write(data, bytes)) {
        error = std::strerror(errno);
        return false;
    }
    dataBytes_ += bytes;
    return true;
}

bool WavWriter::Commit(std::string& error)
{
    const std::uint8_t pad = 0;
    const auto header = MakeWavHeader(format_, std::uint32_t(dataBytes_));
    if (((dataBytes_ & 1) && !file_.Write(&pad, 1)) || !file_.WriteAt(0, header.data(), header.size())) {
        error = std::strerror(errno);
        return false;
    }
    return file_.Commit(error);
}

}  // namespace wavio
