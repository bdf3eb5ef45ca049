// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatchRun.h"

#include <QEventLoop>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <unistd.h>

#include "app/FormatAvailability.h"
#include "app/TagSteps.h"
#include "engine/Encoder.h"
#include "engine/EncoderCache.h"
#include "engine/OutputCheck.h"
#include "engine/PartFile.h"
#include "engine/Unzipfile.h"
#include "platform/FileStamp.h"
#include "platform/ProgramFolder.h"
#include "platform/Report.h"
#include "platform/TemporaryNames.h"

namespace fs = std::filesystem;

namespace app {
namespace {

constexpr const char* ArchiveName = "EncodeDLL.dll";
constexpr const char* NotLoadedText = "File \"EncodeDLL.dll\" doesn't loaded!";
constexpr const char* SameFileText = "The output file would replace its input!";
constexpr const char* OutsideText = "The output file would lie outside the target folder!";
constexpr const char* RemovedText = "The input was removed during conversion";
// How often the display is refreshed while jobs run.
constexpr int RefreshMs = 250;
// The time left is guessed only once this share of the run is done.
constexpr double LeastShareForEstimate = 0.02;

bool SamePath(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) || fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

std::string PathKey(const fs::path& path)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return (ec ? fs::absolute(path, ec) : canonical).string();
}

// Why an input cannot be converted before anything is decoded; empty when
// it can be read.
std::string InputProblem(const fs::path& input)
{
    std::error_code ec;
    if (!fs::exists(input, ec))
        return "The file \"" + input.string() + "\" does not exist";
    if (fs::is_directory(input, ec))
        return "\"" + input.string() + "\" is a folder";
    if (access(input.c_str(), R_OK) != 0)
        return "The file \"" + input.string() + "\" can't be read: " + std::strerror(errno);
    return {};
}

// False only when the file is surely gone, not when it cannot be looked at.
bool InputExists(const fs::path& input)
{
    std::error_code ec;
    return fs::exists(input, ec) || ec;
}

std::string Joined(const std::vector<std::string>& values)
{
    std::string list;
    for (const std::string& value : values)
        list += (list.empty() ? "" : ", ") + value;
    return list;
}

std::string NotCopiedText(const std::vector<std::string>& values)
{
    return "tags: " + std::to_string(values.size()) + " values not copied";
}

// The input's length as its decoder states it; 0 when unknown.
double InputSeconds(const fs::path& input)
{
    TAudioProperty property;
    if (InputProblem(input).empty() && TEncoder::OpenInput(input, 0, true, &property) != 0)
        return property.Milliseconds / 1000.0;
    return 0;
}

// Every entry gets a weight: one of unknown length counts as an average one.
std::vector<double> EntryWeights(std::vector<double> seconds)
{
    double known = 0;
    int count = 0;
    for (const double value : seconds)
        if (value > 0) {
            known += value;
            ++count;
        }
    const double fallback = count > 0 ? known / count : 1.0;
    for (double& value : seconds)
        if (value <= 0)
            value = fallback;
    return seconds;
}

}  // namespace

std::string SummaryText(const RunSummary& summary)
{
    const std::int64_t seconds = summary.milliseconds / 1000;
    char time[32];
    std::snprintf(time, sizeof time, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return "Converted " + std::to_string(summary.converted) + ", skipped " + std::to_string(summary.skipped) +
           ", failed " + std::to_string(summary.failed) + ", stopped " + std::to_string(summary.stopped) +
           " in " + time;
}

TBatchRun::TBatchRun(BatchFrontEnd& frontEnd, fs::path programFolder)
    : frontEnd_(frontEnd), programFolder_(std::move(programFolder))
{
    refresh_.setInterval(RefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &TBatchRun::RefreshDisplay);
}

TBatchRun::~TBatchRun() = default;

bool TBatchRun::CheckBeforeConvert(const BatchSelection& selection)
{
    std::error_code ec;
    // Only the part before a placeholder is created now; the rest depends
    // on each input's tags.
    const std::string folder = TargetRoot(frontEnd_.Naming().targetFolder);
    if (folder.empty() || (!fs::is_directory(folder, ec) && !fs::create_directories(folder, ec))) {
        frontEnd_.Warn("Target folder is invalid!");
        return false;
    }
    if (selection.format == engine::NoFormat) {
        frontEnd_.Warn("Please select a output format!");
        return false;
    }
    const bool wma = selection.format == engine::FormatWma;
    if ((!wma && selection.options.empty()) || (wma && selection.presetName.empty())) {
        frontEnd_.Warn("Please select output parameters!");
        return false;
    }
    if (!fs::is_regular_file(Archive(), ec)) {
        frontEnd_.Warn("File \"EncodeDLL.dll\" not found!");
        return false;
    }
    return true;
}

TBatchRun::Outcome TBatchRun::Execute(const BatchSelection& selection)
{
    if (!CheckBeforeConvert(selection))
        return Outcome::Refused;
    stopText_.clear();
    if (const std::string reason = FormatUnavailableReason(selection.format); !reason.empty()) {
        // Said once, before anything is decoded, instead of once per file.
        frontEnd_.Fail(reason);
        return Outcome::NotStarted;
    }
    Outcome outcome = Outcome::Completed;
    try {
        if (const std::string failure = SetUp(selection); !failure.empty()) {
            frontEnd_.Fail(failure);
            ReleaseProgram();
            return Outcome::NotStarted;
        }
        frontEnd_.RunStarting();
        frontEnd_.SetTips("");
        outcome = Loop();
    } catch (const std::exception& error) {
        // Only the closing steps follow an unexpected error.
        CancelRunning();
        entries_.clear();
        ReleaseProgram();
        frontEnd_.RunEnding();
        stopText_ = platform::UserText(error);
        return Outcome::Stopped;
    }
    ReleaseProgram();
    frontEnd_.RunEnding();
    return outcome;
}

std::string TBatchRun::SetUp(const BatchSelection& selection)
{
    unpackedProgram_.clear();
    settings_ = TJobSettings{};
    if (selection.format == engine::FormatWma) {
        settings_.WmaSampleRate = selection.wma.SampleRate;
        settings_.WmaChannels = selection.wma.Channels;
        settings_.WmaBitrate = selection.wma.Bitrate;
        settings_.WmaVbr = selection.wma.Vbr;
    }
    if (const char* program = engine::Row(selection.format).program; *program != '\0')
        if (std::string failure = UnpackProgram(program); !failure.empty())
            return failure;
    convertedFiles_.clear();
    written_.clear();
    cleanedFolders_.clear();
    settings_.Priority = selection.priority;
    settings_.Options = selection.options;
    settings_.ProgramPath = unpackedProgram_;
    settings_.OutputFormat = selection.format;
    settings_.NormalizePercent = selection.normalizePercent;
    loudnessChoice_ = selection.loudness;
    settings_.MeasureLoudness = selection.loudness.tags != GainTagMode::Off;
    // Under album apply an input of no album is brought to the target alone.
    if (selection.loudness.apply != LoudnessApply::Off)
        settings_.LoudnessTarget = selection.loudness.target;
    simultaneous_ = std::max(1, selection.simultaneousJobs);
    return {};
}

TBatchRun::Outcome TBatchRun::Loop()
{
    start_ = std::chrono::steady_clock::now();
    summary_ = RunSummary{};
    head_ = 0;
    started_ = 0;
    total_ = frontEnd_.EntryCount();
    startNoMore_ = stopping_ = ended_ = false;
    overwriteAll_.reset();
    error_ = nullptr;
    std::vector<fs::path> inputs;
    for (int position = 0; position < total_; ++position)
        inputs.push_back(frontEnd_.EntryPath(position));
    loudness_.Start(loudnessChoice_, inputs);
    seconds_.clear();
    for (const fs::path& input : inputs)
        seconds_.push_back(InputSeconds(input));
    seconds_ = EntryWeights(std::move(seconds_));
    totalSeconds_ = 0;
    for (const double value : seconds_)
        totalSeconds_ += value;
    doneSeconds_ = 0;
    shownPercent_ = 0;

    QEventLoop loop;
    loop_ = &loop;
    refresh_.start();
    Advance();
    if (!ended_)
        loop.exec();
    refresh_.stop();
    loop_ = nullptr;
    if (error_)
        std::rethrow_exception(error_);
    FinishNotStarted();
    summary_.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start_).count();
    return stopping_ ? Outcome::Aborted : Outcome::Completed;
}

void TBatchRun::Advance()
{
    if (ended_)
        return;
    if (advancing_) {
        advanceAgain_ = true;
        return;
    }
    advancing_ = true;
    try {
        do {
            advanceAgain_ = false;
            AdvanceOnce();
        } while (advanceAgain_);
    } catch (...) {
        // Errors do not cross the event loop: the run ends and rethrows it.
        error_ = std::current_exception();
    }
    advancing_ = false;
    if (error_ || (entries_.empty() && !MoreToStart())) {
        ended_ = true;
        if (loop_)
            loop_->quit();
        return;
    }
    frontEnd_.ShowProgress(Progress());
}

void TBatchRun::AdvanceOnce()
{
    for (;;) {
        FinishReadyEntries();
        if (!MoreToStart() || RunningCount() >= simultaneous_ || !StartEntry(head_ + int(entries_.size())))
            return;
    }
}

bool TBatchRun::MoreToStart() const
{
    return !startNoMore_ && head_ + int(entries_.size()) < frontEnd_.EntryCount();
}

void TBatchRun::RefreshDisplay()
{
    if (!stopping_ && frontEnd_.StopRequested())
        StopAll();
    frontEnd_.ShowProgress(Progress());
}

void TBatchRun::SkipJob(int number)
{
    for (Entry& entry : entries_) {
        if (entry.job && !entry.job->Done && (number < 0 || entry.number == number)) {
            entry.stopped = true;
            entry.job->Cancel();
            return;
        }
    }
}

void TBatchRun::StopAll()
{
    stopping_ = startNoMore_ = true;
    CancelRunning();
}

bool TBatchRun::StartEntry(int position)
{
    Entry entry;
    entry.input = frontEnd_.EntryPath(position);
    entry.number = started_;
    entry.failure = PrepareEntry(entry);
    if (entry.failure.empty() && !entry.skipped && OutputRunning(entry.key))
        return false;  // waits until the job writing that output has ended
    ++started_;
    // Stop, answered to the overwrite question, leaves this entry unstarted.
    entry.stopped = stopping_ && entry.failure.empty();
    entry.skipped = entry.skipped && !entry.stopped;
    if (entry.failure.empty() && !entry.skipped && !entry.stopped) {
        entry.job = std::make_unique<TConversionJob>();
        entry.job->Apply(settings_);
        entry.job->InputFile = fs::absolute(entry.input);
        entry.job->OutputFile = fs::absolute(entry.output);
        entry.job->CommitLater = true;
        connect(entry.job.get(), &TConversionJob::JobDone, this, &TBatchRun::Advance);
        entry.job->FixedGainDb = loudness_.AlbumGainDb(entry.input);
        entry.job->Start();
    }
    entries_.push_back(std::move(entry));
    return true;
}

// Decides everything about an entry that comes before its job; returns the
// text of a failure, empty when the job may start (or the entry is skipped).
std::string TBatchRun::PrepareEntry(Entry& entry)
{
    if (std::string problem = InputProblem(entry.input); !problem.empty())
        return problem;
    NamingChoice naming = frontEnd_.Naming();
    naming.format = settings_.OutputFormat;
    try {
        entry.output = MakeOutputPath(entry.input, naming);
    } catch (const std::exception& error) {
        return platform::UserText(error);
    }
    if (entry.output.empty())
        return OutsideText;
    frontEnd_.SetTips("Process: from " + entry.input.string() + " to " + entry.output);
    if (SamePath(entry.input, entry.output))
        return SameFileText;
    if (std::string problem = platform::NameFitProblem(entry.output); !problem.empty())
        return problem;
    entry.key = PathKey(entry.output);
    if (const auto earlier = written_.find(entry.key); earlier != written_.end())
        return "The output file was already written in this run from \"" + earlier->second.string() +
               "\"; the original is kept";
    if (OutputRunning(entry.key))
        return {};
    if (!MayWriteOutput(entry.output)) {
        entry.skipped = true;
        return {};
    }
    std::error_code ec;
    // Absolute, so an output named relative to the working folder has one.
    const fs::path folder = fs::absolute(entry.output, ec).parent_path();
    if (!fs::is_directory(folder, ec) && !fs::create_directories(folder, ec))
        return "Can't create the folder \"" + folder.string() + "\": " + ec.message();
    if (cleanedFolders_.insert(folder).second)
        platform::RemoveStaleTemporaries(folder);
    return {};
}

bool TBatchRun::MayWriteOutput(const std::string& output)
{
    std::error_code ec;
    if (!fs::exists(output, ec))
        return true;
    switch (frontEnd_.ExistingFilePolicy()) {
    case WhenFileExists::Overwrite:
        return true;
    case WhenFileExists::Prompt:
        return MayOverwrite("File \"" + output + "\" already exists, do you want to overwrite it?");
    case WhenFileExists::Ignore:
        break;
    }
    return false;
}

bool TBatchRun::MayOverwrite(const std::string& question)
{
    if (overwriteAll_)
        return *overwriteAll_;
    switch (frontEnd_.AskOverwrite(question)) {
    case OverwriteAnswer::Yes:
        return true;
    case OverwriteAnswer::YesToAll:
        overwriteAll_ = true;
        return true;
    case OverwriteAnswer::NoToAll:
        overwriteAll_ = false;
        break;
    case OverwriteAnswer::Stop:
        StopAll();
        break;
    case OverwriteAnswer::No:
        break;
    }
    return false;
}

// A job's output gets its final name only when its entry is finished in
// list order, so a job that is done still holds its output until then.
bool TBatchRun::OutputRunning(const std::string& key) const
{
    for (const Entry& entry : entries_)
        if (entry.job && entry.key == key)
            return true;
    return false;
}

int TBatchRun::RunningCount() const
{
    int running = 0;
    for (const Entry& entry : entries_)
        running += entry.job && !entry.job->Done ? 1 : 0;
    return running;
}

void TBatchRun::CancelRunning()
{
    for (Entry& entry : entries_)
        if (entry.job && !entry.job->Done) {
            entry.stopped = true;
            entry.job->Cancel();
        }
}

double TBatchRun::DoneShare() const
{
    double done = doneSeconds_;
    for (const Entry& entry : entries_) {
        const double seconds = seconds_[std::size_t(entry.number)];
        if (!entry.job || entry.job->Done)
            done += seconds;
        else
            done += seconds * std::clamp(int(entry.job->Percent), 0, 100) / 100.0;
    }
    return totalSeconds_ > 0 ? std::min(1.0, done / totalSeconds_) : 0;
}

RunProgress TBatchRun::Progress()
{
    RunProgress progress;
    const double share = DoneShare();
    // A job whose percentage drops (a second pass) never moves the bar back.
    shownPercent_ = std::max(shownPercent_, int(std::floor(share * 100)));
    progress.percent = shownPercent_;
    progress.fileNumber = started_;
    progress.fileCount = total_;
    progress.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start_).count();
    if (share >= LeastShareForEstimate)
        progress.leftMs = std::int64_t(double(progress.elapsedMs) * (1 - share) / share);
    for (const Entry& entry : entries_) {
        if (!entry.job || entry.job->Done)
            continue;
        progress.input = entry.input;
        progress.jobs.push_back({entry.number, entry.input, int(entry.job->Percent)});
    }
    return progress;
}

void TBatchRun::FinishReadyEntries()
{
    while (!entries_.empty() && (!entries_.front().job || entries_.front().job->Done)) {
        Entry entry = std::move(entries_.front());
        entries_.pop_front();
        doneSeconds_ += seconds_[std::size_t(entry.number)];
        FinishEntry(entry);
    }
}

void TBatchRun::FinishEntry(Entry& entry)
{
    if (entry.skipped) {
        EndAlbumEntry(entry, false);
        ++summary_.skipped;
        frontEnd_.SetResult(head_, SkippedExistingText);
        frontEnd_.Skipped(entry.input, entry.output);
        ++head_;
        return;
    }
    // A job that ended well before its cancel reached it is a whole output.
    if (entry.stopped && !(entry.job && entry.job->Succeeded)) {
        FinishStopped(entry, entry.job ? entry.job->ErrorText : NotStartedText);
        return;
    }
    std::string failure = entry.job ? (entry.job->Succeeded ? "" : entry.job->ErrorText) : entry.failure;
    std::vector<std::string> notCopied;
    if (failure.empty())
        failure = CompleteOutput(entry, notCopied);
    EndAlbumEntry(entry, failure.empty());
    if (!failure.empty()) {
        ++summary_.failed;
        summary_.failures.push_back(entry.input.string() + ": " + failure);
        frontEnd_.SetResult(head_, failure);
        frontEnd_.Failed(entry.input, failure);
        ++head_;
        return;
    }
    written_[entry.key] = entry.input;
    FinishConverted(entry, notCopied);
}

void TBatchRun::FinishStopped(const Entry& entry, const std::string& text)
{
    ++summary_.stopped;
    frontEnd_.SetResult(head_, text);
    frontEnd_.Stopped(entry.input, text);
    ++head_;
}

void TBatchRun::FinishNotStarted()
{
    if (!stopping_)
        return;
    while (head_ < frontEnd_.EntryCount()) {
        Entry entry;
        entry.input = frontEnd_.EntryPath(head_);
        FinishStopped(entry, NotStartedText);
    }
}

std::string TBatchRun::CompleteOutput(const Entry& entry, std::vector<std::string>& notCopied)
{
    if (frontEnd_.CopyTagsChosen()) {
        const std::string failure = CopyTagsToPart(entry, notCopied);
        // An input removed meanwhile (by another run over it, say) reads as
        // one without tags: such an output never replaces a whole one.
        if (!InputExists(entry.input))
            return RemovedText;
        if (!failure.empty())
            return failure;
    }
    const TConversionJob& job = *entry.job;
    // A gain that cannot be written costs the output nothing else: it is logged.
    if (std::string problem = loudness_.TrackDone(entry.input, job.PartFile, entry.output, job.Meter, job.AppliedGainDb);
        !problem.empty())
        frontEnd_.Log(entry.input, "gain values not written: " + problem);
    std::string error;
    return entry.job->CommitOutput(error) ? std::string() : error;
}

void TBatchRun::EndAlbumEntry(const Entry& entry, bool converted)
{
    for (const auto& [output, problem] : loudness_.EntryEnded(entry.input, converted ? fs::path(entry.output) : fs::path()))
        frontEnd_.Log(output, "album gain values not written: " + problem);
}

std::string TBatchRun::CopyTagsToPart(const Entry& entry, std::vector<std::string>& notCopied)
{
    const fs::path part = entry.job->PartFile;
    try {
        notCopied = CopyTags(entry.input, part);
    } catch (const std::exception& error) {
        // The reason names the file the user knows, not its part file.
        std::string why = platform::UserText(error);
        for (std::size_t at; (at = why.find(part.string())) != std::string::npos;)
            why.replace(at, part.string().size(), entry.job->OutputFile.string());
        return "Tags not copied: " + why;
    }
    return {};
}

void TBatchRun::FinishConverted(const Entry& entry, const std::vector<std::string>& notCopied)
{
    const Kept kept = DeleteOriginal(entry);
    convertedFiles_.push_back(entry.output);
    ++summary_.converted;
    if (kept.note.empty())
        frontEnd_.Converted(entry.input, entry.output);
    else
        frontEnd_.ConvertedWithProblem(entry.input, entry.output, kept.note);
    LogNotes(entry, notCopied);
    std::string result = kept.result;
    std::error_code ec;
    // No loss is silent: the entry stays to say so, while its input does.
    if (result.empty() && fs::exists(entry.input, ec)) {
        result = entry.job->EndedEarly;
        if (!notCopied.empty())
            result += (result.empty() ? "" : "; ") + NotCopiedText(notCopied);
    }
    if (result.empty()) {
        frontEnd_.RemoveEntry(head_);
        frontEnd_.UpdateFileCount();
        return;
    }
    frontEnd_.SetResult(head_, result);
    if (!notCopied.empty())
        frontEnd_.SetResultTip(head_, Joined(notCopied));
    ++head_;
}

void TBatchRun::LogNotes(const Entry& entry, const std::vector<std::string>& notCopied)
{
    for (const std::string& note : {entry.job->Note, entry.job->EndedEarly})
        if (!note.empty())
            frontEnd_.Log(entry.input, note);
    if (!notCopied.empty())
        frontEnd_.Log(entry.input, NotCopiedText(notCopied) + ": " + Joined(notCopied));
}

TBatchRun::Kept TBatchRun::DeleteOriginal(const Entry& entry)
{
    if (!frontEnd_.DeleteOriginalChosen())
        return {};
    const TConversionJob& job = *entry.job;
    // The original goes only when its output is known to hold all of it,
    // and it is still the file that was converted.
    std::string why = job.EndedEarly;
    if (why.empty() && (!job.InputStamp || platform::StampOf(entry.input) != job.InputStamp))
        why = "the input changed during conversion";
    if (why.empty())
        engine::VerifyOutput(entry.output, job.DecodedSeconds(), why);
    // An input gone already, say deleted by another run that converted it
    // too, is no original kept.
    if (!why.empty() && InputExists(entry.input))
        return {"Original kept: " + why, "original kept: " + why};
    std::error_code ec;
    if (why.empty() && !fs::remove(entry.input, ec) && ec)
        return {"Can't delete original files!", "original kept: it can't be deleted: " + ec.message()};
    return {};
}

fs::path TBatchRun::Archive() const
{
    return platform::ShippedFolder(programFolder_) / ArchiveName;
}

// The encoders run from the per-user folder of unpacked programs, never
// from the temporary folder, which may forbid running programs. Returns
// why the program cannot be had; empty when it is ready.
std::string TBatchRun::UnpackProgram(const std::string& member)
{
    encoders_ = std::make_unique<engine::EncoderCache>();
    if (encoders_->Open(Archive()))
        unpackedProgram_ = encoders_->Program(member);
    if (!unpackedProgram_.empty())
        return {};
    return encoders_->Error().empty() ? NotLoadedText : encoders_->Error();
}

// The unpacked programs stay for the next run; only their in-use mark goes.
void TBatchRun::ReleaseProgram()
{
    encoders_.reset();
    unpackedProgram_.clear();
}

}  // namespace app
