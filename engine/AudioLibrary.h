// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The audio library: decoding of every input and WMA encoding, over FFmpeg.
// Handles are small non-zero integers; 0 always means failure. A handle may
// be used from one thread at a time; the handle table itself is thread-safe.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace AudioLibrary {

using Handle = std::uint32_t;

constexpr std::uint32_t Version = 0x02030000;       // reported as 2.3
constexpr std::uint32_t FlagDecodeOnly = 0x200000;  // stream creation
constexpr std::uint32_t InfoFlag8Bits = 1;          // ChannelInfo::flags
constexpr std::uint32_t InfoFlagMono = 2;           // ChannelInfo::flags
constexpr std::uint32_t WmaFlagVbrQualities = 0x10000;
constexpr std::uint32_t WmaFlagTags = 0x2000;

// Error codes of ErrorGetCode, as the callers of the rate query expect.
constexpr int ErrorOk = 0;
constexpr int ErrorFileOpen = 2;
constexpr int ErrorHandle = 5;
constexpr int ErrorFormat = 6;
constexpr int ErrorAlready = 14;
constexpr int ErrorIllegalParam = 20;
constexpr int ErrorNotSupported = 37;
constexpr int ErrorNoWmaCodec = 1001;
constexpr int ErrorUnknown = -1;

struct ChannelInfo {
    std::uint32_t freq = 0;   // sample rate in Hz
    std::uint32_t chans = 0;  // channels delivered (1 or 2, or the source's own when kept)
    std::uint32_t flags = 0;  // InfoFlag8Bits, InfoFlagMono
    std::uint32_t bits = 16;  // bits per delivered sample, 16 or 24
    // The speakers of the delivered channels as a WAVE channel mask, in the
    // order the samples come; 0 when they have no known positions.
    std::uint32_t channelMask = 0;
};

// A source's own samples, whatever a stream delivers of them. Lossy codecs
// count as 16 bits: they hold no exact samples to keep.
struct SourceFormat {
    std::uint32_t chans = 0;
    std::uint32_t bits = 0;  // 16, 24 or 32 (also 32 for float)
    bool isFloat = false;
    const char* codec = "";  // FFmpeg's name of the codec, e.g. "alac"
};
constexpr std::uint32_t MaxKeptChannels = 8;

std::uint32_t GetVersion();
// Succeeds without sound hardware: the program never plays audio.
bool Init(int device, std::uint32_t freq, std::uint32_t flags);
bool Stop();
bool Free();
int ErrorGetCode();  // of the calling thread's last call

// Opens any file that a decoder accepts, whatever its extension.
Handle StreamCreateFile(const std::filesystem::path& path, std::uint32_t flags);
bool StreamFree(Handle handle);
bool MusicFree(Handle handle);
bool SampleFree(Handle handle);
bool ChannelStop(Handle handle);

bool ChannelGetInfo(Handle handle, ChannelInfo& info);
std::uint32_t ChannelGetRate(Handle handle);  // the rate attribute, Hz
std::uint64_t ChannelGetLength(Handle handle);    // PCM bytes, whole stream
std::uint64_t ChannelGetPosition(Handle handle);  // PCM bytes delivered
// PCM bytes the container states for the whole stream, even after a decode
// ended short of them; 0 when it states none or guesses from the bit rate.
std::uint64_t ChannelGetStatedLength(Handle handle);
double ChannelBytes2Seconds(Handle handle, std::uint64_t bytes);
std::uint64_t StreamGetFileSize(Handle handle);   // source file size, bytes
bool ChannelIsActive(Handle handle);  // false once the last data is out
// Interleaved signed little-endian PCM, 16 bits unless ChannelSetSampleFormat
// asked for 24 (packed in three bytes); returns the bytes copied, -1 on
// error. Sources above two channels arrive down-mixed to stereo unless their
// channels are kept.
std::int32_t ChannelGetData(Handle handle, void* buffer, std::uint32_t bytes);

bool ChannelGetSourceFormat(Handle handle, SourceFormat& format);
// Makes a decode stream deliver bits (16 or 24) per sample and, with
// keepChannels, the source's channels in its own order (at most
// MaxKeptChannels) instead of mono or stereo. Fewer bits than the source
// holds are reached with triangular (TPDF) dither. Only before the first
// ChannelGetData (ErrorAlready after); ErrorIllegalParam for other depths or
// too many channels to keep.
bool ChannelSetSampleFormat(Handle handle, std::uint32_t bits, bool keepChannels);

// Makes a decode stream deliver another sample rate (resampled with soxr at
// very high quality); rate, length, position and byte-second conversions
// speak of it from then on. Only before the first ChannelGetData
// (ErrorAlready after), and within 64 times the source's rate either way
// (ErrorIllegalParam).
bool ChannelSetOutputRate(Handle handle, std::uint32_t rate);
// Multiplies the samples delivered from now on by gain (finite, >= 0, else
// ErrorIllegalParam), rounding and saturating at the sample limits; 1.0
// leaves them exact.
bool ChannelSetGain(Handle handle, double gain);

// WMA encoder. Rates are bit/s, or quality levels with WmaFlagVbrQualities;
// an empty list means none, with the reason in ErrorGetCode.
std::vector<std::uint32_t> WmaEncodeGetRates(std::uint32_t freq, std::uint32_t chans,
                                             std::uint32_t flags);
Handle WmaEncodeOpenFile(std::uint32_t freq, std::uint32_t chans, std::uint32_t flags,
                         std::uint32_t bitrate, const std::filesystem::path& path);
// The PCM written next arrives at this rate and channel count and is
// converted to the encoder's; without this call it is taken to be the
// encoder's own.
bool WmaEncodeSetSource(Handle encoder, std::uint32_t freq, std::uint32_t chans);
bool WmaEncodeWrite(Handle encoder, const void* buffer, std::uint32_t bytes);
bool WmaEncodeClose(Handle encoder);

}  // namespace AudioLibrary
