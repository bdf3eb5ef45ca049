// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The batch run, written once for both front ends: the window supplies its
// controls, answers and progress display through BatchFrontEnd, the command
// line supplies them from its arguments. Up to a chosen number of jobs run
// at once; every entry's outcome is handled in list order.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/OutputNaming.h"
#include "app/RunLoudness.h"
#include "engine/ConversionJob.h"
#include "presets/PresetSelection.h"

namespace engine {
class EncoderCache;
}

namespace app {

enum class WhenFileExists : std::uint8_t { Ignore = 0, Overwrite = 1, Prompt = 2 };

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

// What the progress display shows on a poll pass. With one job at a time:
// that job's input and percentage. With several: the overall percentage
// and a line per running job.
struct RunProgress {
    struct Job {
        std::filesystem::path input;
        int percent = 0;
    };
    std::filesystem::path input;
    int percent = 0;
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
    virtual bool AskOverwrite(const std::string& question) = 0;

    // Progress display.
    virtual void RunStarting() = 0;  // disable input, show progress
    virtual void RunEnding() = 0;    // enable input, close progress
    virtual void SetTips(const std::string& text) = 0;
    virtual void ClearCancelRequest() = 0;
    virtual bool CancelRequested() = 0;
    // The program is closing or was told to stop: the run ends at once.
    virtual bool StopRequested() { return false; }
    // One poll pass while jobs run: show the progress.
    virtual void Poll(const RunProgress& progress) = 0;

    // Outcomes of each entry in list order, for front ends that report them.
    virtual void Converted(const std::filesystem::path&, const std::string&) {}
    // Converted, but the original was kept.
    virtual void ConvertedWithProblem(const std::filesystem::path&, const std::string&, const std::string&) {}
    virtual void Skipped(const std::filesystem::path&, const std::string&) {}
    virtual void Failed(const std::filesystem::path&, const std::string&) {}
    // What a conversion changed or left out on the way, for the run's log.
    virtual void Log(const std::filesystem::path&, const std::string&) {}
};

// What a run did, for the status pane and the closing message.
struct RunSummary {
    int converted = 0;
    int skipped = 0;
    int failed = 0;
    std::vector<std::string> failures;  // "input: reason", in list order
    std::int64_t milliseconds = 0;
};

// "Converted N, skipped M, failed K in mm:ss".
std::string SummaryText(const RunSummary& summary);

class TBatchRun {
public:
    TBatchRun(BatchFrontEnd& frontEnd, std::filesystem::path programFolder);
    ~TBatchRun();

    // True when a run may start; otherwise the front end was told why not.
    bool CheckBeforeConvert(const BatchSelection& selection);

    enum class Outcome { Refused, NotStarted, Completed, Stopped, Aborted };
    // Checks, sets up, walks the list and ends the run. Completed: the
    // after-run action follows. Stopped: an error of the tag layer ended the
    // run (its text in StopText). NotStarted: unpacking failed, or the format
    // has no encoder. Aborted: the front end asked the run to stop.
    Outcome Execute(const BatchSelection& selection);

    const std::vector<std::string>& ConvertedFiles() const { return convertedFiles_; }
    const std::string& StopText() const { return stopText_; }
    const RunSummary& Summary() const { return summary_; }

private:
    // An entry from the moment its fate is decided until it is handled in
    // list order: a job, or an outcome decided before any job.
    struct Entry {
        std::filesystem::path input;
        std::string output;
        std::string key;  // the output's canonical path, to tell outputs apart
        std::unique_ptr<TConversionJob> job;
        bool skipped = false;
        std::string failure;
    };

    // Why the run cannot start; empty when it is set up.
    std::string SetUp(const BatchSelection& selection);
    Outcome Loop();
    bool StartEntry(int position);
    std::string PrepareEntry(Entry& entry);
    bool MayWriteOutput(const std::string& output);
    bool OutputRunning(const std::string& key) const;
    int RunningCount() const;
    void CancelRunning();
    void PollOnce();
    RunProgress Progress() const;
    void WaitForAnyJob(int milliseconds);
    void FinishReadyEntries();
    void FinishEntry(Entry& entry);
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
    int finished_ = 0;
    bool startNoMore_ = false;
    // Outputs written in this run, by their canonical path, with the input.
    std::map<std::string, std::filesystem::path> written_;
    std::set<std::filesystem::path> cleanedFolders_;
};

}  // namespace app
