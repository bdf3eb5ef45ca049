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
        : arguments_(arguments), entries_(arguments.files), showProgress_(isatty(STDERR_FILENO))
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
    bool AskOverwrite(const std::string&) override { return false; }

    void RunStarting() override {}
    void RunEnding() override { ClearProgress(); }
    void SetTips(const std::string&) override {}
    void ClearCancelRequest() override {}
    bool CancelRequested() override { return false; }
    bool StopRequested() override { return stopSignal != 0; }

    void Poll(const app::RunProgress& progress) override
    {
        if (!showProgress_)
            return;
        std::cerr << "\r\033[K";
        if (progress.jobs.empty()) {
            std::cerr << progress.input.filename().string() << ": " << progress.percent << " %";
        } else {
            std::cerr << progress.percent << " %";
            for (const auto& job : progress.jobs)
                std::cerr << "  " << job.input.filename().string() << ": " << job.percent << " %";
        }
        std::cerr << std::flush;
    }

    void Converted(const fs::path& input, const std::string& output) override { Line("OK", input, output); }
    void ConvertedWithProblem(const fs::path& input, const std::string& output, const std::string& note) override
    {
        anyFailed_ = true;
        Line("OK", input, output + '\t' + note);
    }
    void Skipped(const fs::path& input, const std::string& output) override { Line("SKIPPED", input, output); }
    void Failed(const fs::path& input, const std::string& text) override
    {
        anyFailed_ = true;
        Line("FAILED", input, text);
    }
    void Log(const fs::path& input, const std::string& text) override
    {
        if (arguments_.verbose)
            Line("NOTE", input, text);
    }

private:
    void ClearProgress()
    {
        if (showProgress_)
            std::cerr << "\r\033[K" << std::flush;
    }

    void Line(const char* outcome, const fs::path& input, const std::string& text)
    {
        ClearProgress();
        std::cout << outcome << '\t' << input.string() << '\t' << text << std::endl;
    }

    const cli::ConvertArguments& arguments_;
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
    const std::string error = presets::LoadSelectedPreset(programFolder, state, arguments.preset, mp3);
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
    return true;
}

int Convert(const std::vector<std::string>& args)
{
    cli::ConvertArguments arguments;
    if (std::string usage; !cli::ParseConvertArguments(args, arguments, usage)) {
        std::cerr << usage << '\n';
        return cli::ExitUsage;
    }
    const fs::path programFolder = platform::ProgramFolder();
    app::BatchSelection selection;
    try {
        if (!ResolvePreset(programFolder, arguments, selection))
            return cli::ExitUsage;
        const TEncoder engine;
        CliFrontEnd frontEnd(arguments);
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
        if (arguments.playlist)
            app::CreatePlayList(app::ExpandTargetFolder(arguments.target), run.ConvertedFiles());
        return frontEnd.AnyFailed() ? cli::ExitFailed : cli::ExitOk;
    } catch (const std::exception& error) {
        std::cerr << platform::UserText(error) << '\n';
        return cli::ExitFailed;
    }
}

const cli::VerbRegistration registration(
    "convert",
    "convert --format NAME --preset NAME --target DIR [--prefix TEXT] [--when-exists ignore|overwrite]"
    " [--copy-tags] [--delete-original] [--playlist] [--priority idle|normal|high|realtime] [--jobs N]"
    " [--normalize PERCENT] [--verbose] FILE|FOLDER...",
    Convert);

}  // namespace
