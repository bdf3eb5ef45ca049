#pragma once

// The one engine object: owns the audio library, opens inputs for their
// properties and carries the one conversion job that runs at a time.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

#include "engine/AudioLibrary.h"
#include "engine/FormatTable.h"

struct TAudioProperty {
    std::string Size;
    std::string Duration;
    std::int32_t Channels = 0;    // 1 mono, 2 stereo
    std::int32_t SampleRate = 0;  // Hz
    std::int32_t Bitrate = 0;     // average kbit/s
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

class TConvertThread;

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
    AudioLibrary::Handle OpenInput(const std::filesystem::path& path, std::uint32_t flags,
                                   bool release, TAudioProperty* property);
    static void FreeChannel(AudioLibrary::Handle handle);

    // Decoding to WAV.
    static std::filesystem::path MakeTempWavName();
    bool DecodeToWav(const std::filesystem::path& target);

    // External encoder run. The command line is an argument vector: the
    // template and options split into words (double quotes group), the two
    // paths always one element each.
    std::vector<std::string> BuildCommandLine(std::uint8_t formatIndex) const;
    bool RunEncoder(const std::vector<std::string>& commandLine);
    static bool KillProcess(pid_t pid);

    // WMA encoding. GetWmaRates returns false and sets errorText when the
    // encoder offers nothing; the caller shows the text.
    bool EncodeWma();
    static bool GetWmaRates(int sampleRate, std::vector<std::string>& list, bool vbr,
                            std::string& errorText);

    // The job: Start returns at once; Done is set on this object's thread
    // once the worker has finished everything.
    void Start();
    void Cancel();
    // Processes this thread's events until Done is set or the time is up,
    // without spinning: the encoder needs the processor.
    void WaitForDone(int milliseconds);
    void Run();
    bool Encode(std::uint8_t formatIndex);

    // Shared between the window's thread and the worker.
    std::atomic<bool> Cancelled{false};
    std::atomic<std::int32_t> Percent{0};
    std::atomic<AudioLibrary::Handle> Channel{0};
    QObject* OwnerWindow = nullptr;
    std::int32_t Priority = PriorityNormal;
    std::int32_t WmaSampleRate = 44100;
    std::int32_t WmaChannels = 2;
    std::int32_t WmaBitrate = 128;
    bool WmaVbr = false;
    std::atomic<bool> Decoded{false};
    std::filesystem::path InputFile;
    std::filesystem::path OutputFile;
    std::filesystem::path TempWavFile;
    std::string Options;
    std::filesystem::path ProgramPath;
    std::atomic<bool> Finished{false};
    std::atomic<bool> Succeeded{false};
    bool Done = true;  // written on this object's thread only
    std::uint8_t OutputFormat = engine::NoFormat;
    std::string ErrorText;

signals:
    // Emitted on this object's thread right after Done is set.
    void JobDone();

private:
    // The running job's worker. Declared last so that it is stopped and
    // waited for before any field it uses is destroyed.
    std::shared_ptr<TConvertThread> Worker;
};

