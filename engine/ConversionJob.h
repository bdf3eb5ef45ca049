// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One conversion job: one input decoded and encoded into one output, on a
// worker thread of its own, so that a run may keep several going at once.
// The output is written under a hidden temporary name beside its final name
// and renamed onto it only once the encoder has succeeded and the output is
// known to hold all of the decoded audio.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/AudioLibrary.h"
#include "engine/Encoder.h"
#include "engine/FormatTable.h"
#include "engine/PartFile.h"
#include "platform/FileStamp.h"

class TConvertThread;

namespace engine {
class LoudnessMeter;
class PcmFeed;
struct DecodePlan;
struct SampleShape;
class PcmSink;
}

// What a run fixes for every job it starts.
struct TJobSettings {
    std::uint8_t OutputFormat = engine::NoFormat;
    std::string Options;
    std::filesystem::path ProgramPath;
    std::int32_t Priority = PriorityNormal;
    std::int32_t WmaSampleRate = 44100;
    std::int32_t WmaChannels = 2;
    std::int32_t WmaBitrate = 128;
    bool WmaVbr = false;
    int NormalizePercent = 0;  // peak as a share of full scale; 0 keeps the level
    bool MeasureLoudness = false;  // measure the decode for gain tags
    // The integrated loudness (LUFS) each output is brought to, over
    // NormalizePercent; none keeps the level.
    std::optional<double> LoudnessTarget;
};

// The settings are the job's own fields, set before Start.
class TConversionJob : public QObject, public TJobSettings {
    Q_OBJECT
public:
    TConversionJob() = default;
    ~TConversionJob() override;
    TConversionJob(const TConversionJob&) = delete;
    TConversionJob& operator=(const TConversionJob&) = delete;

    void Apply(const TJobSettings& settings);

    // Start returns at once; Done is set on this object's thread once the
    // worker has finished everything. A Cancel at any moment after Start,
    // even before the worker runs, stops the job.
    void Start();
    void Cancel();
    // Processes this thread's events until Done is set or the time is up.
    void WaitForDone(int milliseconds);
    void Run();

    // The phases, also used on their own.
    // A fresh empty file in the temporary folder; empty with error set when
    // the folder cannot take one.
    static std::filesystem::path MakeTempWavName(std::error_code& error);
    bool DecodeToWav(const std::filesystem::path& target);
    // The template's words with the paths filled in; with TempWavFile "-"
    // a streaming row's template, which reads standard input.
    std::vector<std::string> BuildCommandLine(std::uint8_t formatIndex) const;
    bool RunEncoder(const std::vector<std::string>& commandLine);
    // As RunEncoder, with the feed written into the program's standard input.
    bool RunFedEncoder(const std::vector<std::string>& commandLine, engine::PcmFeed& feed);
    bool EncodeWma();
    bool EncodeAlac();
    static bool KillProcess(pid_t pid);

    // Seconds of audio the decode delivered (valid once Decoded).
    double DecodedSeconds() const;

    // With CommitLater, renames a succeeded job's part file onto OutputFile;
    // false with the reason when that fails, the part file then removed.
    bool CommitOutput(std::string& error);

    // Set before Start.
    std::filesystem::path InputFile;
    std::filesystem::path OutputFile;
    // A succeeded job leaves its output under PartFile for the caller to
    // finish (the tag copy) and commit; a job destroyed first removes it.
    bool CommitLater = false;
    // A gain in dB decided before the job (an album's), used instead of
    // measuring the input against LoudnessTarget.
    std::optional<double> FixedGainDb;

    // With MeasureLoudness, the decode's measure, taken before any gain.
    std::shared_ptr<engine::LoudnessMeter> Meter;
    // The gain the decode applied, in dB (normalising or loudness).
    double AppliedGainDb = 0;

    // Shared between the window's thread and the worker.
    std::atomic<bool> Cancelled{false};
    std::atomic<std::int32_t> Percent{0};
    std::atomic<AudioLibrary::Handle> Channel{0};
    std::atomic<bool> Decoded{false};
    std::atomic<bool> Finished{false};
    std::atomic<bool> Succeeded{false};
    // What the encoder reads: the temporary WAV file, or "-" when streamed.
    std::filesystem::path TempWavFile;
    // Where the encoder writes: the hidden name beside OutputFile.
    std::filesystem::path PartFile;
    bool Done = true;  // written on this object's thread only
    std::string ErrorText;
    // What the job changed on the way, for the run's log: "resampled ...",
    // "down-mixed ...", joined by "; ".
    std::string Note;
    // Set when the input's decode ended well before the length its
    // container states: "the input ended after 1.6 s of 1:14".
    std::string EndedEarly;
    // The input as it was when its decode began.
    std::optional<platform::FileStamp> InputStamp;

signals:
    // Emitted on this object's thread right after Done is set.
    void JobDone();

private:
    // Everything up to the commit; false with the error text set.
    bool Produce();
    bool StopIfCancelled();
    bool CheckOutput(bool converted);
    void NoteEarlyEnd();
    bool Convert();
    bool ConvertThroughWav();
    bool ConvertStreaming();
    // Decodes into an encoder inside the process that open makes for the
    // decoder's channel; open sets the error text when it gives none.
    using SinkOpener = std::function<std::unique_ptr<engine::PcmSink>(AudioLibrary::Handle channel)>;
    bool EncodeInProcess(const SinkOpener& open);
    bool FeedSink(engine::PcmSink& sink, std::uint64_t& decoded);
    // Opens InputFile as Channel, at a rate the encoder accepts and with the
    // normalising gain; false with the error text set.
    bool OpenDecoder();
    engine::DecodePlan PlanSamples(std::uint32_t sourceRate) const;
    bool Normalize(std::uint32_t rate, const engine::SampleShape& shape);
    bool ApplyLoudnessGain();
    void SetGainDb(double db);
    void CloseDecoder();
    void CountDecoded(std::uint64_t bytes) { decodedBytes_ += bytes; }

    std::uint64_t decodedBytes_ = 0;
    std::uint64_t statedBytes_ = 0;  // the input's length as its container states it
    bool decodeEnded_ = false;  // the decoder delivered its last data
    double bytesPerSecond_ = 0;
    engine::PartFile part_;
    // The running job's worker. Declared last so that it is stopped and
    // waited for before any field it uses is destroyed.
    std::shared_ptr<TConvertThread> Worker;
};
