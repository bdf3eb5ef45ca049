// tremolix-cli convert: the batch run without windows.

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <iostream>
#include <map>
#include <unistd.h>

#include "app/BatchRun.h"
#include "app/Playlist.h"
#include "cli/ConvertArguments.h"
#include "cli/Verb.h"
#include "engine/Encoder.h"
#include "platform/ProgramFolder.h"
#include "presets/PresetCatalogue.h"

namespace fs = std::filesystem;

namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted = true; }

class CliFrontEnd : public app::BatchFrontEnd {
public:
    CliFrontEnd(const cli::ConvertArguments& arguments, TEncoder& encoder)
        : arguments_(arguments), encoder_(encoder), entries_(arguments.files),
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

    // Once interrupted, the list ends after the file that was running.
    int EntryCount() override { return interrupted ? 0 : int(entries_.size()); }
    fs::path EntryPath(int position) override { return entries_[size_t(position)]; }
    void SetResult(int, const std::string&) override {}
    void RemoveEntry(int position) override { entries_.erase(entries_.begin() + position); }
    void UpdateFileCount() override {}

    void Warn(const std::string& text) override { std::cerr << text << '\n'; }
    void Fail(const std::string& text) override { std::cerr << text << '\n'; }
    bool AskOverwrite(const std::string&) override { return false; }

    void RunStarting() override {}
    void RunEnding() override
    {
        if (showProgress_)
            std::cerr << "\r\033[K" << std::flush;
    }
    void SetTips(const std::string&) override {}
    void ClearCancelRequest() override {}
    bool CancelRequested() override { return interrupted; }

    // Waits for the job's end or a short while, without spinning.
    void Poll(const fs::path& input, int percent) override
    {
        if (showProgress_)
            std::cerr << "\r\033[K" << input.filename().string() << ": " << percent << " %" << std::flush;
        encoder_.WaitForDone(100);
    }

    void Converted(const fs::path& input, const std::string& output) override
    {
        Line("OK", input, output);
    }
    void Skipped(const fs::path& input, const std::string& output) override
    {
        Line("SKIPPED", input, output);
    }
    void Failed(const fs::path& input, const std::string& text) override
    {
        anyFailed_ = true;
        Line("FAILED", input, text);
    }

private:
    void Line(const char* outcome, const fs::path& input, const std::string& text)
    {
        if (showProgress_)
            std::cerr << "\r\033[K" << std::flush;
        std::cout << outcome << '\t' << input.string() << '\t' << text << std::endl;
    }

    const cli::ConvertArguments& arguments_;
    TEncoder& encoder_;
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
        TEncoder encoder;
        CliFrontEnd frontEnd(arguments, encoder);
        app::TBatchRun run(encoder, frontEnd, programFolder);
        std::signal(SIGINT, OnInterrupt);
        const auto outcome = run.Execute(selection);
        std::signal(SIGINT, SIG_DFL);
        if (outcome == app::TBatchRun::Outcome::Refused || outcome == app::TBatchRun::Outcome::NotStarted)
            return cli::ExitUsage;
        if (outcome == app::TBatchRun::Outcome::Stopped) {
            std::cerr << run.StopText() << '\n';
            return cli::ExitFailed;
        }
        if (arguments.playlist)
            app::CreatePlayList(arguments.target, run.ConvertedFiles());
        return frontEnd.AnyFailed() || interrupted ? cli::ExitFailed : cli::ExitOk;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
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
