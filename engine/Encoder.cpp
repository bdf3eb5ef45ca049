// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Encoder.h"

#include <algorithm>
#include <limits>
#include <system_error>

namespace {

constexpr std::uint32_t VersionMask = 0xFFFF0000;

// Truncates toward zero; out-of-range values saturate instead of being
// undefined.
template <class Integer>
Integer Truncate(double value)
{
    const double top = double(std::numeric_limits<Integer>::max());
    return value >= top ? std::numeric_limits<Integer>::max() : Integer(std::max(value, 0.0));
}

std::int64_t FileSize64(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? -1 : std::int64_t(size);
}

}  // namespace

TEncoder::TEncoder(QObject* ownerWindow) : OwnerWindow(ownerWindow)
{
    if ((AudioLibrary::GetVersion() & VersionMask) != (AudioLibrary::Version & VersionMask))
        throw EncoderError("incorrect version of bass.dll was loaded!");
    if (!InitDevice(-1))
        throw EncoderError("Cannot start default audio device!");
    Priority = PriorityNormal;
}

TEncoder::~TEncoder()
{
    AudioLibrary::Stop();
    AudioLibrary::Free();
}

bool TEncoder::InitDevice(int device)
{
    AudioLibrary::Stop();
    AudioLibrary::Free();
    return AudioLibrary::Init(device, 44100, 0);
}

std::string TEncoder::GetFormatNames()
{
    std::string names;
    for (const char* name : engine::DisplayNamesInListOrder())
        names.append(name).append("\n");
    return names;
}

AudioLibrary::Handle TEncoder::OpenInput(const std::filesystem::path& path, std::uint32_t flags,
                                         bool release, TAudioProperty* property)
{
    const AudioLibrary::Handle handle = AudioLibrary::StreamCreateFile(path, flags);
    if (handle == 0)
        return 0;
    if (property) {
        const double seconds =
            AudioLibrary::ChannelBytes2Seconds(handle, AudioLibrary::ChannelGetLength(handle));
        property->Milliseconds = Truncate<std::uint32_t>(seconds * 1000);
        property->Duration = engine::FormatDuration(property->Milliseconds);
        property->Bytes = FileSize64(path);
        property->Size = engine::FormatSize(property->Bytes);
        AudioLibrary::ChannelInfo info;
        AudioLibrary::ChannelGetInfo(handle, info);
        property->Channels = (info.flags & AudioLibrary::InfoFlagMono) ? 1 : 2;
        property->SampleRate = std::int32_t(AudioLibrary::ChannelGetRate(handle));
        // An empty stream has no average rate.
        const double fileBytes = double(AudioLibrary::StreamGetFileSize(handle));
        property->Bitrate = seconds > 0 ? Truncate<std::int32_t>(fileBytes / (125 * seconds) + 0.5) : 0;
        AudioLibrary::SourceFormat source;
        AudioLibrary::ChannelGetSourceFormat(handle, source);
        property->Kind = engine::KindNameOfFile(path, source.codec);
    }
    if (release)
        FreeChannel(handle);
    return handle;
}

void TEncoder::FreeChannel(AudioLibrary::Handle handle)
{
    AudioLibrary::MusicFree(handle);
    AudioLibrary::SampleFree(handle);
    AudioLibrary::StreamFree(handle);
}
