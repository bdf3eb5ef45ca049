// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one engine object: owns the audio library, opens inputs for their
// properties and answers the WMA rate query. Conversions are jobs of their
// own (ConversionJob).

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/AudioLibrary.h"
#include "engine/FormatTable.h"

struct TAudioProperty {
    std::string Size;      // as the file list shows it
    std::string Duration;  // as the file list shows it
    std::int64_t Bytes = 0;
    std::uint32_t Milliseconds = 0;
    std::int32_t Channels = 0;    // 1 mono, 2 stereo
    std::int32_t SampleRate = 0;  // Hz
    std::int32_t Bitrate = 0;     // average kbit/s
    std::string Kind;             // the format's name, as the file list shows it
};

// Construction failures carry one of the two texts the main window shows.
class EncoderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Priority levels of a job.
constexpr std::int32_t PriorityNormal = 32;
constexpr std::int32_t PriorityIdle = 64;
constexpr std::int32_t PriorityHigh = 128;
constexpr std::int32_t PriorityRealtime = 256;

class TEncoder : public QObject {
    Q_OBJECT
public:
    // Throws EncoderError: "incorrect version of bass.dll was loaded!" or
    // "Cannot start default audio device!".
    explicit TEncoder(QObject* ownerWindow = nullptr);
    ~TEncoder() override;
    TEncoder(const TEncoder&) = delete;
    TEncoder& operator=(const TEncoder&) = delete;

    bool InitDevice(int device);
    static std::string GetFormatNames();

    // Returns 0 when no decoder reads the file; fills the record otherwise.
    static AudioLibrary::Handle OpenInput(const std::filesystem::path& path, std::uint32_t flags, bool release,
                                          TAudioProperty* property);
    static void FreeChannel(AudioLibrary::Handle handle);

    // GetWmaRates returns false and sets errorText when the encoder offers
    // nothing; the caller shows the text.
    static bool GetWmaRates(int sampleRate, std::vector<std::string>& list, bool vbr,
                            std::string& errorText);

    QObject* OwnerWindow = nullptr;
    std::int32_t Priority = PriorityNormal;
};
