// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/AudioLibrary.h"

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

#include "engine/AudioHandles.h"
#include "engine/DecodeStream.h"

namespace AudioLibrary {

using internal::DecodeStream;
using internal::SetError;

namespace {

// The stream of a handle, setting the error code either way.
std::shared_ptr<DecodeStream> StreamOf(Handle handle)
{
    std::shared_ptr<DecodeStream> stream = internal::Find<DecodeStream>(handle);
    SetError(stream ? ErrorOk : ErrorHandle);
    return stream;
}

// Damaged and foreign files are everyday input here; FFmpeg's complaints
// about them are no use on the console.
void QuietenFfmpeg()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool Succeed()
{
    SetError(ErrorOk);
    return true;
}

}  // namespace

std::uint32_t GetVersion()
{
    return Version;
}

bool Init(int, std::uint32_t, std::uint32_t)
{
    return Succeed();
}

bool Stop()
{
    return Succeed();
}

bool Free()
{
    return Succeed();
}

Handle StreamCreateFile(const std::filesystem::path& path, std::uint32_t)
{
    QuietenFfmpeg();
    int error = ErrorOk;
    std::shared_ptr<DecodeStream> stream = DecodeStream::Open(path, error);
    const Handle handle = stream ? internal::RegisterHandle(stream) : 0;
    SetError(handle ? ErrorOk : stream ? ErrorUnknown : error);
    return handle;
}

bool StreamFree(Handle handle)
{
    const bool freed = internal::ReleaseAs<DecodeStream>(handle);
    SetError(freed ? ErrorOk : ErrorHandle);
    return freed;
}

// Nothing here makes music or sample handles; the callers free every
// handle with all three calls.
bool MusicFree(Handle)
{
    SetError(ErrorHandle);
    return false;
}

bool SampleFree(Handle)
{
    SetError(ErrorHandle);
    return false;
}

bool ChannelStop(Handle handle)
{
    return StreamOf(handle) != nullptr;
}

bool ChannelGetInfo(Handle handle, ChannelInfo& info)
{
    const auto stream = StreamOf(handle);
    if (!stream)
        return false;
    info.freq = stream->Rate();
    info.chans = stream->Channels();
    info.flags = stream->Channels() == 1 ? InfoFlagMono : 0;
    info.bits = stream->Bits();
    info.channelMask = stream->ChannelMask();
    return true;
}

bool ChannelGetSourceFormat(Handle handle, SourceFormat& format)
{
    const auto stream = StreamOf(handle);
    if (!stream)
        return false;
    format = stream->Source();
    return true;
}

bool ChannelSetSampleFormat(Handle handle, std::uint32_t bits, bool keepChannels)
{
    const auto stream = StreamOf(handle);
    if (!stream)
        return false;
    const int code = stream->Started()                               ? ErrorAlready
                     : stream->SetSampleFormat(bits, keepChannels) ? ErrorOk
                                                                    : ErrorIllegalParam;
    SetError(code);
    return code == ErrorOk;
}

std::uint32_t ChannelGetRate(Handle handle)
{
    const auto stream = StreamOf(handle);
    return stream ? stream->Rate() : 0;
}

std::uint64_t ChannelGetLength(Handle handle)
{
    const auto stream = StreamOf(handle);
    return stream ? stream->Length() : 0;
}

std::uint64_t ChannelGetStatedLength(Handle handle)
{
    const auto stream = StreamOf(handle);
    return stream ? stream->StatedLength() : 0;
}

std::uint64_t ChannelGetPosition(Handle handle)
{
    const auto stream = StreamOf(handle);
    return stream ? stream->Position() : 0;
}

double ChannelBytes2Seconds(Handle handle, std::uint64_t bytes)
{
    const auto stream = StreamOf(handle);
    if (!stream)
        return -1;
    return double(bytes) / (double(stream->Rate()) * stream->BlockAlign());
}

std::uint64_t StreamGetFileSize(Handle handle)
{
    const auto stream = StreamOf(handle);
    return stream ? stream->FileSize() : 0;
}

bool ChannelIsActive(Handle handle)
{
    const auto stream = StreamOf(handle);
    return stream && stream->Active();
}

std::int32_t ChannelGetData(Handle handle, void* buffer, std::uint32_t bytes)
{
    const auto stream = StreamOf(handle);
    if (!stream || !buffer)
        return -1;
    const std::int32_t read = stream->Read(buffer, bytes);
    if (read < 0)
        SetError(ErrorUnknown);
    return read;
}

bool ChannelSetOutputRate(Handle handle, std::uint32_t rate)
{
    const auto stream = StreamOf(handle);
    if (!stream)
        return false;
    const int code = stream->Started()              ? ErrorAlready
                     : stream->SetOutputRate(rate) ? ErrorOk
                                                   : ErrorIllegalParam;
    SetError(code);
    return code == ErrorOk;
}

bool ChannelSetGain(Handle handle, double gain)
{
    const auto stream = StreamOf(handle);
    if (!stream)
        return false;
    const bool set = stream->SetGain(gain);
    SetError(set ? ErrorOk : ErrorIllegalParam);
    return set;
}

}  // namespace AudioLibrary
