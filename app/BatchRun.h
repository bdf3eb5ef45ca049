#pragma once

// The batch run, written once for both front ends: the window supplies its
// controls, answers and progress display through BatchFrontEnd, the command
// line supplies them from its arguments.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/OutputNaming.h"
#include "presets/PresetSelection.h"

class TEncoder;

namespace app {

enum class WhenFileExists : std::uint8_t { Ignore = 0, Overwrite = 1, Prompt = 2 };

// The format, preset and options the run hands to the engine.
struct BatchSelection {
    std::uint8_t format = 11;      // CurrentFormat
    std::string options;           // CurrentOptions
    std::string presetName;        // the chosen preset (tested for WMA)
    TWmaValues wma;                // CurrentWma
    std::int32_t priority = 32;    // ThreadPriority of the settings
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
    // One poll pass while a job runs: show the percent and process events.
    virtual void Poll(const std::filesystem::path& input, int percent) = 0;

    // Outcomes of each entry, for front ends that report them.
    virtual void Converted(const std::filesystem::path&, const std::string&) {}
    virtual void Skipped(const std::filesystem::path&, const std::string&) {}
    virtual void Failed(const std::filesystem::path&, const std::string&) {}
};

class TBatchRun {
public:
    TBatchRun(TEncoder& encoder, BatchFrontEnd& frontEnd, std::filesystem::path programFolder);

    // True when a run may start; otherwise the front end was told why not.
    bool CheckBeforeConvert(const BatchSelection& selection);

    enum class Outcome { Refused, NotStarted, Completed, Stopped };
    // Checks, sets up, walks the list and ends the run. Completed: the
    // after-run action follows. Stopped: an error of the tag layer ended the
    // run (its text in StopText). NotStarted: unpacking failed.
    Outcome Execute(const BatchSelection& selection);

    const std::vector<std::string>& ConvertedFiles() const { return convertedFiles_; }
    const std::string& StopText() const { return stopText_; }

private:
    bool SetUp(const BatchSelection& selection);
    void Loop();
    bool ConvertEntry(int& position);
    bool MayWriteOutput(const std::string& output);
    void PollUntilDone(const std::filesystem::path& input);
    void Finish(int& position, const std::filesystem::path& input, const std::string& output);
    bool UnpackProgram(const std::string& member);
    void RemoveUnpackedProgram();

    TEncoder& encoder_;
    BatchFrontEnd& frontEnd_;
    std::filesystem::path programFolder_;
    std::filesystem::path unpackFolder_;
    std::filesystem::path unpackedProgram_;
    std::vector<std::string> convertedFiles_;
    std::string stopText_;
};

}  // namespace app
