// SPDX-License-Identifier: GPL-3.0-or-later
// tremolix-cli convert: the batch run without windows.

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <iostream>
#include <thread>
#include <unistd.h>

#include "app/BatchRun.h"
#include "app/Playlist.h"
#include "cli/ConvertArguments.h"
#include "cli/ConvertReport.h"
#include "cli/Verb.h"
#include "engine/Encoder.h"
#include "platform/ProgramFolder.h"
#include "platform/Report.h"
#include "presets/PresetCatalogue.h"

namespace fs = std::filesystem;

namespace {

// The signal that asked the run to stop, 0 while none did.
std::atomic<int> stopSignal{0};

void OnStopSignal(int signal) { stopSignal = signal; }

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Every way a terminal or a session ends a program stops the run, which
// then kills its encoders and removes its temporary files.
class StopSignalHandlers {
public:
    StopSignalHandlers()
    {
        for (const int signal : StopSignals)
            std::signal(signal, OnStopSignal);
    }
    ~StopSignalHandlers()
    {
        for (const int signal : StopSignals)
            std::signal(signal, SIG_DFL);
    }
    StopSignalHandlers(const StopSignalHandlers&) = delete;
    StopSignalHandlers& operator=(const StopSignalHandlers&) = delete;
};

int DefaultJobs()
{
    return std::clamp(int(std::thread::hardware_concurrency()), 1, 16);
}

class CliFrontEnd : public app::BatchFrontEnd {
public:
    explicit CliFrontEnd(const cli::ConvertArguments& arguments)
        : arguments_(arguments),
          report_(arguments.json, arguments.verbose),
          entries_(arguments.files),
          showProgress_(isatty(STDERR_FILENO))
    {
    }

    bool AnyFailed() const { return anyFailed_; }

    app::NamingChoice Naming() override
    {
        app::NamingChoice naming;
        naming.targetFolder = arguments_.target;
        naming.customName = !arguments_.prefix.empty();
        naming.prefix = arguments_.prefix;
        return naming;
    }
    app::WhenFileExists ExistingFilePolicy() override { return arguments_.whenExists; }
    bool CopyTagsChosen() override { return arguments_.copyTags; }
    bool DeleteOriginalChosen() override { return arguments_.deleteOriginal; }

    int EntryCount() override { return int(entries_.size()); }
    fs::path EntryPath(int position) override { return entries_[size_t(position)]; }
    void SetResult(int, const std::string&) override {}
    void RemoveEntry(int position) override { entries_.erase(entries_.begin() + position); }
    void UpdateFileCount() override {}

    void Warn(const std::string& text) override { std::cerr << text << '\n'; }
    void Fail(const std::string& text) override { std::cerr << text << '\n'; }
    app::OverwriteAnswer AskOverwrite(const std::string&) override { return app::OverwriteAnswer::No; }

    void RunStarting() override {}
    void RunEnding() override
    {
        ClearProgress();
        report_.Finish();
    }
    void SetTips(const std::string&) override {}
    bool StopRequested() override { return stopSignal != 0; }

    void ShowProgress(const app::RunProgress& progress) override
    {
        if (!showProgress_)
            return;
        std::cerr << "\r\033[K" << progress.percent << " %";
        for (const auto& job : progress.jobs)
            std::cerr << "  " << job.input.filename().string() << ": " << job.percent << " %";
        std::cerr << std::flush;
    }

    void Converted(const fs::path& input, const std::string& output) override { Outcome("OK", input, output, {}); }
    void ConvertedWithProblem(const fs::path& input, const std::string& output, const std::string& note) override
    {
        anyFailed_ = true;
        Outcome("OK", input, output, note);
    }
    void Skipped(const fs::path& input, const std::string& output) override { Outcome("SKIPPED", input, output, {}); }
    void Failed(const fs::path& input, const std::string& text) override
    {
        anyFailed_ = true;
        Outcome("FAILED", input, {}, text);
    }
    void Stopped(const fs::path& input, const std::string& text) override { Outcome("STOPPED", input, {}, text); }
    void Log(const fs::path& input, const std::string& text) override
    {
        ClearProgress();
        report_.Note(input, text);
    }
    // A note that is said without --verbose too: something asked for was left out.
    void Notice(const fs::path& path, const std::string& text) { report_.Note(path, text, true); }
    // A line per folder that could not be read, before the run: its files are missing from it.
    void ReportUnreadableFolders(const std::vector<app::UnreadableFolder>& folders)
    {
        for (const app::UnreadableFolder& folder : folders)
            Outcome("FAILED", folder.folder, {}, "the folder can't be read: " + folder.reason);
        report_.Finish();
    }

private:
    void ClearProgress()
    {
        if (showProgress_)
            std::cerr << "\r\033[K" << std::flush;
    }

    void Outcome(const char* status, const fs::path& input, const std::string& output, const std::string& reason)
    {
        ClearProgress();
        report_.Outcome(status, input, output, reason);
    }

    const cli::ConvertArguments& arguments_;
    cli::ConvertReport report_;
    std::vector<fs::path> entries_;
    bool showProgress_;
    bool anyFailed_ = false;
};

// The format's preset turned into what the run hands to the engine.
bool ResolvePreset(const fs::path& programFolder, const cli::ConvertArguments& arguments,
                   app::BatchSelection& selection)
{
    TPresetSelection state;
    const presets::PresetListing listing = presets::FillPresetList(programFolder, arguments.format, state);
    if (!listing.ErrorText.empty()) {
        std::cerr << listing.ErrorText << '\n';
        return false;
    }
    TMP3Settings mp3;
    std::string error = presets::PresetProblem(programFolder, state, arguments.preset);
    if (error.empty())
        error = presets::LoadSelectedPreset(programFolder, state, arguments.preset, mp3);
    if (!error.empty()) {
        std::cerr << error << '\n';
        return false;
    }
    selection.format = state.CurrentFormat;
    selection.options = state.CurrentOptions;
    selection.presetName = arguments.preset;
    selection.wma = state.CurrentWma;
    selection.priority = arguments.priority;
    selection.simultaneousJobs = arguments.jobs > 0 ? arguments.jobs : DefaultJobs();
    selection.normalizePercent = arguments.normalizePercent;
    selection.loudness = arguments.loudness.Choice();
    return true;
}

// The playlist of the converted files; false when it could not be written.
bool WritePlaylist(const cli::ConvertArguments& arguments, const app::TBatchRun& run, CliFrontEnd& frontEnd)
{
    const app::PlaylistOutcome outcome = app::CreatePlayList(arguments.target, run.ConvertedFiles());
    for (const std::string& output : outcome.leftOut)
        frontEnd.Notice(output, app::LeftOutOfPlaylistText);
    if (outcome.error.empty())
        return true;
    std::cerr << app::PlaylistErrorText(outcome) << '\n';
    return false;
}

int Convert(const std::vector<std::string>& args)
{
    cli::ConvertArguments arguments;
    if (std::string usage; !cli::ParseConvertArguments(args, arguments, usage))
        return cli::UsageError("convert", usage);
    const fs::path programFolder = platform::ProgramFolder();
    app::BatchSelection selection;
    try {
        if (!ResolvePreset(programFolder, arguments, selection))
            return cli::ExitUsage;
        const TEncoder engine;
        CliFrontEnd frontEnd(arguments);
        frontEnd.ReportUnreadableFolders(arguments.unreadableFolders);
        app::TBatchRun run(frontEnd, programFolder);
        const StopSignalHandlers handlers;
        const auto outcome = run.Execute(selection);
        if (outcome == app::TBatchRun::Outcome::Refused || outcome == app::TBatchRun::Outcome::NotStarted)
            return cli::ExitUsage;
        if (outcome == app::TBatchRun::Outcome::Stopped) {
            std::cerr << run.StopText() << '\n';
            return cli::ExitFailed;
        }
        if (stopSignal != 0)
            return 128 + stopSignal;
        const bool listed = !arguments.playlist || WritePlaylist(arguments, run, frontEnd);
        const bool failed = frontEnd.AnyFailed() || !listed || !arguments.unreadableFolders.empty();
        return failed ? cli::ExitFailed : cli::ExitOk;
    } catch (const std::exception& error) {
        std::cerr << platform::UserText(error) << '\n';
        return cli::ExitFailed;
    }
}

const cli::VerbRegistration registration(
    {"convert",
     "--format NAME --preset NAME --target DIR [--prefix TEXT] [--when-exists ignore|overwrite]"
     " [--copy-tags] [--delete-original] [--playlist] [--priority idle|normal|high|realtime] [--jobs N]"
     " [--normalize PERCENT] [--replaygain track|album] [--normalize-loudness LUFS [--normalize-by track|album]]"
     " [--verbose] [--json] FILE|FOLDER...",
     "  Converts every FILE, and the files below every FOLDER, and prints one line per file\n"
     "  in list order: OK, SKIPPED, FAILED or STOPPED, the input, then the output or the reason.\n"
     "  --format NAME         an output format (tremolix-cli formats lists them)\n"
     "  --preset NAME         a preset of it (tremolix-cli presets FORMAT lists them)\n"
     "  --target DIR          the output folder\n"
     "  --prefix TEXT         the output name when it holds %Title% or %Name% (the input's name),\n"
     "                        else put before each input's name; tag placeholders are filled in\n"
     "  --when-exists POLICY  ignore (the default) skips an existing output, overwrite replaces it\n"
     "  --copy-tags           copies each input's tags into its output\n"
     "  --delete-original     deletes an input once its output decodes to its length\n"
     "  --playlist            writes a playlist of the outputs into DIR\n"
     "  --priority LEVEL      the encoders' priority\n"
     "  --jobs N              conversions at once, 1 to 16 (default: one per core)\n"
     "  --normalize PERCENT   scales each file to this peak, 1 to 100 % of full scale\n"
     "  --replaygain MODE     measures each file's loudness while decoding and writes its\n"
     "                        gain values (track), and those of its album (album: the\n"
     "                        files of one folder with the same album artist and album)\n"
     "  --normalize-loudness LUFS  brings each file to this loudness (ReplayGain: -18), its\n"
     "                        true peak kept below -1 dBTP; measured in a pass before the encode\n"
     "  --normalize-by track|album  one gain per file (the default) or per album, whose\n"
     "                        files are all measured before its first is converted\n"
     "  --verbose             adds NOTE lines: a resampling, a down-mix, fewer bits, tags the output could not take\n"
     "  --json                one JSON object per file instead: input, status, output, reason, notes\n"
     "  --                    every later argument is a FILE, even one beginning with \"-\"\n",
     Convert, true});

}  // namespace
