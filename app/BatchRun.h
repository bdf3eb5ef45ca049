// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The batch run, written once for both front ends: the window supplies its
// controls, answers and progress display through BatchFrontEnd, the command
// line supplies them from its arguments. Up to a chosen number of jobs run
// at once; every entry's outcome is handled in list order. The run moves on
// when a job ends, not on a poll: a timer only refreshes the display.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <exception>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/OutputNaming.h"
#include "app/RunLoudness.h"
#include "engine/ConversionJob.h"
#include "presets/PresetSelection.h"

class QEventLoop;

namespace engine {
class EncoderCache;
}

namespace app {

enum class WhenFileExists : std::uint8_t { Ignore = 0, Overwrite = 1, Prompt = 2 };

// The answers to "the output exists, overwrite it?".
enum class OverwriteAnswer : std::uint8_t { Yes, YesToAll, No, NoToAll, Stop };

// The format, preset and options the run hands to the engine.
struct BatchSelection {
    std::uint8_t format = 11;      // CurrentFormat
    std::string options;           // CurrentOptions
    std::string presetName;        // the chosen preset (tested for WMA)
    TWmaValues wma;                // CurrentWma
    std::int32_t priority = 32;    // ThreadPriority of the settings
    int simultaneousJobs = 1;      // jobs running at once
    int normalizePercent = 0;      // peak level of the outputs; 0 keeps the level
    LoudnessChoice loudness;       // gain tags and loudness applied
};

// What the progress display shows: the whole run's share by audio seconds
// (it never goes back), which file of how many was started last, the times,
// and a line per running job.
struct RunProgress {
    struct Job {
        int number = 0;  // the entry's place in the run, from 0
        std::filesystem::path input;
        int percent = 0;
    };
    std::filesystem::path input;  // the job started last
    int percent = 0;
    int fileNumber = 0;  // from 1
    int fileCount = 0;
    std::int64_t elapsedMs = 0;
    std::int64_t leftMs = -1;  // -1 until there is enough to tell
    std::vector<Job> jobs;
};

class BatchFrontEnd {
public:
    virtual ~BatchFrontEnd() = default;

    // Control values, read when the run needs them.
    virtual NamingChoice Naming() = 0;
    virtual WhenFileExists ExistingFilePolicy() = 0;
    virtual bool CopyTagsChosen() = 0;
    virtual bool DeleteOriginalChosen() = 0;

    // The file list.
    virtual int EntryCount() = 0;
    virtual std::filesystem::path EntryPath(int position) = 0;
    virtual void SetResult(int position, const std::string& text) = 0;
    // The whole story behind a Result text, for front ends that show it.
    virtual void SetResultTip(int, const std::string&) {}
    virtual void RemoveEntry(int position) = 0;
    virtual void UpdateFileCount() = 0;

    // Messages: refusals, failures and the overwrite question.
    virtual void Warn(const std::string& text) = 0;
    virtual void Fail(const std::string& text) = 0;
    virtual OverwriteAnswer AskOverwrite(const std::string& question) = 0;

    // Progress display.
    virtual void RunStarting() = 0;  // disable input, show progress
    virtual void RunEnding() = 0;    // enable input, close progress
    virtual void SetTips(const std::string& text) = 0;
    // Asked at each display refresh, for front ends that cannot call
    // StopAll themselves (a signal handler): the run ends at once.
    virtual bool StopRequested() { return false; }
    // Called at each display refresh and when a job ends.
    virtual void ShowProgress(const RunProgress& progress) = 0;

    // Outcomes of each entry in list order, for front ends that report them.
    virtual void Converted(const std::filesystem::path&, const std::string&) {}
    // Converted, but the original was kept.
    virtual void ConvertedWithProblem(const std::filesystem::path&, const std::string&, const std::string&) {}
    virtual void Skipped(const std::filesystem::path&, const std::string&) {}
    virtual void Failed(const std::filesystem::path&, const std::string&) {}
    // Cancelled while running, or never started because the run was stopped.
    virtual void Stopped(const std::filesystem::path&, const std::string&) {}
    // What a conversion changed or left out on the way, for the run's log.
    virtual void Log(const std::filesystem::path&, const std::string&) {}
};

// What a run did, for the status pane and the closing message.
struct RunSummary {
    int converted = 0;
    int skipped = 0;
    int failed = 0;
    int stopped = 0;  // cancelled or never started
    std::vector<std::string> failures;  // "input: reason", in list order
    std::int64_t milliseconds = 0;
};

// "Converted N, skipped M, failed K, stopped S in mm:ss".
std::string SummaryText(const RunSummary& summary);

// Result texts of entries the run did not convert on purpose.
constexpr const char* SkippedExistingText = "Skipped: the output exists";
constexpr const char* NotStartedText = "Not converted: the run was stopped";

class TBatchRun : public QObject {
    Q_OBJECT
public:
    TBatchRun(BatchFrontEnd& frontEnd, std::filesystem::path programFolder);
    ~TBatchRun() override;

    // True when a run may start; otherwise the front end was told why not.
    bool CheckBeforeConvert(const BatchSelection& selection);

    enum class Outcome { Refused, NotStarted, Completed, Stopped, Aborted };
    // Checks, sets up, walks the list and ends the run, returning when it
    // has ended. Completed: the after-run action follows. Stopped: an error
    // of the tag layer ended the run (its text in StopText). NotStarted:
    // unpacking failed, or the format has no encoder. Aborted: StopAll or
    // the front end ended the run early.
    Outcome Execute(const BatchSelection& selection);

    const std::vector<std::string>& ConvertedFiles() const { return convertedFiles_; }
    const std::string& StopText() const { return stopText_; }
    const RunSummary& Summary() const { return summary_; }

public slots:
    // Cancels the running job of that number (RunProgress::Job), or with -1
    // the first running one; the run goes on with the next entry.
    void SkipJob(int number);
    // Cancels every running job and starts no more.
    void StopAll();

private slots:
    // Finishes what has ended and starts what may start.
    void Advance();
    void RefreshDisplay();

private:
    // An entry from the moment its fate is decided until it is handled in
    // list order: a job, or an outcome decided before any job.
    struct Entry {
        std::filesystem::path input;
        std::string output;
        std::string key;  // the output's canonical path, to tell outputs apart
        std::unique_ptr<TConversionJob> job;
        int number = 0;
        bool skipped = false;
        bool stopped = false;  // cancelled by the user, or never started
        std::string failure;
    };

    // Why the run cannot start; empty when it is set up.
    std::string SetUp(const BatchSelection& selection);
    Outcome Loop();
    void AdvanceOnce();
    bool MoreToStart() const;
    bool StartEntry(int position);
    std::string PrepareEntry(Entry& entry);
    bool MayWriteOutput(const std::string& output);
    bool MayOverwrite(const std::string& question);
    bool OutputRunning(const std::string& key) const;
    int RunningCount() const;
    void CancelRunning();
    // The share of the run done, by audio seconds, 0 to 1.
    double DoneShare() const;
    RunProgress Progress();
    void FinishReadyEntries();
    void FinishEntry(Entry& entry);
    void FinishStopped(const Entry& entry, const std::string& text);
    // The entries a stopped run never reached.
    void FinishNotStarted();
    // Copies the tags into the part file, as chosen, and only then gives the
    // output its final name; the text of a failure, empty on success.
    // notCopied gets the values the output could not take.
    std::string CompleteOutput(const Entry& entry, std::vector<std::string>& notCopied);
    std::string CopyTagsToPart(const Entry& entry, std::vector<std::string>& notCopied);
    void FinishConverted(const Entry& entry, const std::vector<std::string>& notCopied);
    void LogNotes(const Entry& entry, const std::vector<std::string>& notCopied);
    void EndAlbumEntry(const Entry& entry, bool converted);
    // Why a converted entry stays in the list: its Result text and the
    // note of its report line; both empty when it leaves the list.
    struct Kept {
        std::string result;
        std::string note;
    };
    // Deletes the original, as chosen, when nothing speaks against it.
    Kept DeleteOriginal(const Entry& entry);
    std::filesystem::path Archive() const;
    std::string UnpackProgram(const std::string& member);
    void ReleaseProgram();

    BatchFrontEnd& frontEnd_;
    std::filesystem::path programFolder_;
    std::unique_ptr<engine::EncoderCache> encoders_;
    std::filesystem::path unpackedProgram_;
    TJobSettings settings_;
    LoudnessChoice loudnessChoice_;
    RunLoudness loudness_;
    int simultaneous_ = 1;
    std::vector<std::string> convertedFiles_;
    std::string stopText_;
    RunSummary summary_;

    std::deque<Entry> entries_;  // from list position head_ on
    int head_ = 0;
    int total_ = 0;
    int started_ = 0;
    bool startNoMore_ = false;
    bool stopping_ = false;
    // The "to all" answer of the overwrite question, once given.
    std::optional<bool> overwriteAll_;
    // Audio seconds per entry in run order, and those of finished entries.
    std::vector<double> seconds_;
    double totalSeconds_ = 0;
    double doneSeconds_ = 0;
    int shownPercent_ = 0;
    std::chrono::steady_clock::time_point start_;
    // Advance may be entered again from a modal question it shows.
    bool advancing_ = false;
    bool advanceAgain_ = false;
    bool ended_ = false;
    std::exception_ptr error_;
    QEventLoop* loop_ = nullptr;
    QTimer refresh_;
    // Outputs written in this run, by their canonical path, with the input.
    std::map<std::string, std::filesystem::path> written_;
    std::set<std::filesystem::path> cleanedFolders_;
};

}  // namespace app
