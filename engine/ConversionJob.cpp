// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion job: its start and cancel, and the ways from input to
// output: streamed into the encoder, through a temporary WAV file, or fed to
// the WMA encoder.

#include "engine/ConversionJob.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <exception>

#include "engine/ConvertThread.h"
#include "engine/Loudness.h"
#include "engine/Normalize.h"
#include "engine/OutputCheck.h"
#include "engine/PcmFeed.h"
#include "engine/SampleCapabilities.h"
#include "engine/Unzipfile.h"

namespace {

// Removes the job's temporary WAV file on every way out.
class TempFileGuard {
public:
    explicit TempFileGuard(std::filesystem::path path) : path_(std::move(path)) {}
    ~TempFileGuard()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

private:
    std::filesystem::path path_;
};

constexpr const char* NoAudioText = "The input holds no audio";
constexpr const char* CancelledText = "Operation is cancelled";
// A decode that ends this much before the stated length is worth a note.
constexpr double EarlyEndSeconds = 1.0;

// "1.6 s" below a minute, "1:14" or "1:02:03" above.
std::string SpokenLength(double seconds)
{
    char text[32];
    const long whole = long(seconds);
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    else if (whole < 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

}  // namespace

TConversionJob::~TConversionJob() = default;

void TConversionJob::Apply(const TJobSettings& settings)
{
    static_cast<TJobSettings&>(*this) = settings;
}

void TConversionJob::WaitForDone(int milliseconds)
{
    if (Done)
        return;
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    connect(this, &TConversionJob::JobDone, &wait, &QEventLoop::quit);
    wait.exec();
}

void TConversionJob::Start()
{
    // One run at a time per job object: a second Start waits for the first.
    if (Worker)
        Worker->Join();
    Worker.reset();
    Done = false;
    // Cleared here, not by the worker, so that a Cancel right after Start holds.
    Cancelled = false;
    auto worker = std::make_shared<TConvertThread>(*this);
    const TConvertThread* const self = worker.get();
    Worker = worker;
    worker->Resume(Priority, [this, self] {
        QMetaObject::invokeMethod(
            this,
            [this, self] {
                if (Worker.get() != self)
                    return;
                Done = true;
                Worker.reset();
                emit JobDone();
            },
            Qt::QueuedConnection);
    });
}

void TConversionJob::Cancel()
{
    Cancelled = true;
}

double TConversionJob::DecodedSeconds() const
{
    return bytesPerSecond_ > 0 ? double(decodedBytes_) / bytesPerSecond_ : 0;
}

void TConversionJob::Run()
{
    Succeeded = false;
    Percent = 0;
    Finished = false;
    Decoded = false;
    decodedBytes_ = 0;
    statedBytes_ = 0;
    decodeEnded_ = false;
    Note.clear();
    EndedEarly.clear();
    InputStamp.reset();
    bytesPerSecond_ = 0;
    Meter.reset();
    AppliedGainDb = 0;
    bool produced = false;
    try {
        produced = Produce() && (CommitLater || CommitOutput(ErrorText));
    } catch (const std::exception& error) {
        ErrorText = error.what();
    } catch (...) {
        ErrorText = "undefined Error";
    }
    if (!produced) {
        part_.Discard();
        PartFile.clear();
    }
    Finished = true;
    Succeeded = produced;
}

bool TConversionJob::CommitOutput(std::string& error)
{
    const bool committed = part_.Commit(error);
    if (!committed)
        part_.Discard();
    PartFile.clear();
    return committed;
}

bool TConversionJob::Produce()
{
    if (StopIfCancelled() || !part_.Create(OutputFile, ErrorText))
        return false;
    PartFile = part_.Path();
    InputStamp = platform::StampOf(InputFile);
    const bool converted = Convert();
    if (StopIfCancelled())
        return false;
    // An input that opened but gave nothing is no conversion, whatever
    // the encoder made of it.
    if (decodeEnded_ && decodedBytes_ == 0) {
        ErrorText = NoAudioText;
        return false;
    }
    if (!CheckOutput(converted) || StopIfCancelled())
        return false;
    NoteEarlyEnd();
    return true;
}

bool TConversionJob::StopIfCancelled()
{
    if (Cancelled)
        ErrorText = CancelledText;
    return Cancelled;
}

// The part file must hold all of the decoded audio: some encoders exit 0
// after failed writes. A full disk is named as the cause where it is one.
bool TConversionJob::CheckOutput(bool converted)
{
    std::string why;
    if (converted && engine::VerifyOutput(PartFile, DecodedSeconds(), why))
        return true;
    if (converted)
        ErrorText = char(std::toupper(static_cast<unsigned char>(why[0]))) + why.substr(1);
    // Only an encoder that ran can have met a full disk.
    if (bytesPerSecond_ <= 0)
        return false;
    if (const std::string failure = engine::WriteFailure(PartFile); !failure.empty())
        ErrorText = "Can't write the output file \"" + OutputFile.string() + "\": " + failure + " (" + ErrorText + ")";
    return false;
}

void TConversionJob::NoteEarlyEnd()
{
    if (!decodeEnded_ || bytesPerSecond_ <= 0)
        return;
    const double stated = double(statedBytes_) / bytesPerSecond_;
    if (stated - DecodedSeconds() > EarlyEndSeconds)
        EndedEarly = "the input ended after " + SpokenLength(DecodedSeconds()) + " of " + SpokenLength(stated);
}

bool TConversionJob::Convert()
{
    switch (engine::Row(OutputFormat).inProcess) {
    case engine::InProcessEncoder::Wma:
        return EncodeWma();
    case engine::InProcessEncoder::Alac:
        return EncodeAlac();
    case engine::InProcessEncoder::None:
        break;
    }
    if (engine::StreamsIntoEncoder(OutputFormat))
        return ConvertStreaming();
    return ConvertThroughWav();
}

bool TConversionJob::ConvertThroughWav()
{
    std::error_code error;
    const std::filesystem::path wav = MakeTempWavName(error);
    const TempFileGuard guard(wav);
    if (wav.empty()) {
        ErrorText = "Cannot create a temporary file in \"" + engine::TempFolder().string() + "\": " + error.message();
        return false;
    }
    if (!DecodeToWav(wav))
        return false;
    TempWavFile = wav;
    Decoded = true;
    if (decodedBytes_ == 0)
        return true;
    try {
        return RunEncoder(BuildCommandLine(OutputFormat));
    } catch (const std::exception& error) {
        ErrorText = error.what();
    }
    return false;
}

bool TConversionJob::ConvertStreaming()
{
    if (!OpenDecoder())
        return false;
    TempWavFile = "-";
    engine::PcmFeed feed(Channel, engine::Row(OutputFormat).stream.unknownLength);
    bool encoded = false;
    try {
        encoded = RunFedEncoder(BuildCommandLine(OutputFormat), feed);
    } catch (const std::exception& error) {
        ErrorText = error.what();
    }
    CountDecoded(feed.DataBytes());
    decodeEnded_ = feed.Ended();
    CloseDecoder();
    Decoded = encoded;
    return encoded;
}

bool TConversionJob::OpenDecoder()
{
    Channel = TEncoder::OpenInput(InputFile, AudioLibrary::FlagDecodeOnly, false, nullptr);
    if (Channel == 0) {
        // Another run may have converted and deleted the input after the check.
        std::error_code ec;
        ErrorText = std::filesystem::exists(InputFile, ec) || ec
                        ? "Open file failed!"
                        : "The file \"" + InputFile.string() + "\" does not exist";
        return false;
    }
    // The WMA encoder converts to its preset's own rate.
    const std::uint32_t sourceRate = AudioLibrary::ChannelGetRate(Channel);
    const std::uint32_t rate =
        OutputFormat == engine::FormatWma ? sourceRate : engine::OutputRateFor(OutputFormat, sourceRate);
    std::vector<std::string> notes;
    if (rate != sourceRate) {
        AudioLibrary::ChannelSetOutputRate(Channel, rate);
        notes.push_back("resampled from " + std::to_string(sourceRate) + " Hz to " + std::to_string(rate) + " Hz");
    }
    const engine::DecodePlan plan = PlanSamples(sourceRate);
    AudioLibrary::ChannelSetSampleFormat(Channel, plan.bits, plan.keepChannels);
    notes.insert(notes.end(), plan.notes.begin(), plan.notes.end());
    for (const std::string& note : notes)
        Note += (Note.empty() ? "" : "; ") + note;
    const bool loudness = FixedGainDb || LoudnessTarget;
    if (loudness ? !ApplyLoudnessGain() : NormalizePercent > 0 && !Normalize(rate, {plan.bits, plan.keepChannels})) {
        CloseDecoder();
        return false;
    }
    AudioLibrary::ChannelInfo info;
    AudioLibrary::ChannelGetInfo(Channel, info);
    if (MeasureLoudness) {
        // Gain values carry the sample peak; only a gain to apply needs the true one.
        Meter = std::make_shared<engine::LoudnessMeter>(int(info.chans), engine::PeakKind::Sample);
        engine::MeasureWhileDecoding(Channel, Meter);
    }
    bytesPerSecond_ = double(AudioLibrary::ChannelGetRate(Channel)) * info.chans * info.bits / 8;
    statedBytes_ = AudioLibrary::ChannelGetStatedLength(Channel);
    return true;
}

// The samples the output keeps of the source: the format's and the preset's
// limits, the WMA preset's channels among them.
engine::DecodePlan TConversionJob::PlanSamples(std::uint32_t sourceRate) const
{
    AudioLibrary::SourceFormat source;
    AudioLibrary::ChannelGetSourceFormat(Channel, source);
    engine::PresetFixes fixes = engine::FixedByOptions(OutputFormat, Options);
    if (OutputFormat == engine::FormatWma)
        fixes.channels = std::uint32_t(WmaChannels);
    return engine::PlanDecode(OutputFormat, fixes, source, sourceRate);
}

// The peak is known only after a whole decode: a measuring pass at the rate
// and shape the job decodes at comes first, so the one gain lands the peak
// exactly.
bool TConversionJob::Normalize(std::uint32_t rate, const engine::SampleShape& shape)
{
    const std::optional<double> peak = engine::MeasureFilePeak(InputFile, rate, Cancelled, {}, shape);
    if (!peak) {
        ErrorText = Cancelled ? CancelledText : "decode data error!";
        return false;
    }
    SetGainDb(20 * std::log10(engine::NormalizeGain(*peak, NormalizePercent)));
    return true;
}

// A track's own gain needs its loudness before the encode starts: a
// measuring pass comes first, as for normalising.
bool TConversionJob::ApplyLoudnessGain()
{
    if (FixedGainDb) {
        SetGainDb(*FixedGainDb);
        return true;
    }
    const auto meter = engine::MeasureFileLoudness(InputFile, Cancelled, engine::PeakKind::True);
    const auto level = meter ? meter->Result() : std::nullopt;
    if (!level) {
        ErrorText = Cancelled ? CancelledText : "decode data error!";
        return false;
    }
    SetGainDb(engine::LoudnessGainDb(*level, *LoudnessTarget));
    return true;
}

void TConversionJob::SetGainDb(double db)
{
    AppliedGainDb = db;
    AudioLibrary::ChannelSetGain(Channel, std::pow(10.0, db / 20));
}

void TConversionJob::CloseDecoder()
{
    TEncoder::FreeChannel(Channel);
    Channel = 0;
}
