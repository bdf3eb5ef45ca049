#include "app/BatchRun.h"

#include <cstdlib>
#include <system_error>

#include "app/TagSteps.h"
#include "engine/Encoder.h"
#include "engine/Unzipfile.h"

namespace fs = std::filesystem;

namespace app {
namespace {

constexpr const char* ArchiveName = "EncodeDLL.dll";
constexpr const char* SameFileText = "The output file would replace its input!";

bool SamePath(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) || fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

TBatchRun::TBatchRun(TEncoder& encoder, BatchFrontEnd& frontEnd, fs::path programFolder)
    : encoder_(encoder), frontEnd_(frontEnd), programFolder_(std::move(programFolder))
{
}

bool TBatchRun::CheckBeforeConvert(const BatchSelection& selection)
{
    std::error_code ec;
    const std::string folder = AddBackslash(frontEnd_.Naming().targetFolder);
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
    if (!fs::is_regular_file(programFolder_ / ArchiveName, ec)) {
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
    try {
        if (!SetUp(selection)) {
            frontEnd_.Fail("File \"EncodeDLL.dll\" doesn't loaded!");
            RemoveUnpackedProgram();
            return Outcome::NotStarted;
        }
        frontEnd_.RunStarting();
        frontEnd_.SetTips("");
        Loop();
    } catch (const std::exception& error) {
        // An error of the tag layer ends the run: only the closing steps follow.
        RemoveUnpackedProgram();
        frontEnd_.RunEnding();
        stopText_ = error.what();
        return Outcome::Stopped;
    }
    RemoveUnpackedProgram();
    frontEnd_.RunEnding();
    return Outcome::Completed;
}

bool TBatchRun::SetUp(const BatchSelection& selection)
{
    unpackedProgram_.clear();
    if (selection.format == engine::FormatWma) {
        encoder_.WmaSampleRate = selection.wma.SampleRate;
        encoder_.WmaChannels = selection.wma.Channels;
        encoder_.WmaBitrate = selection.wma.Bitrate;
        encoder_.WmaVbr = selection.wma.Vbr;
    } else if (!UnpackProgram(engine::EncoderPrograms[selection.format])) {
        return false;
    }
    convertedFiles_.clear();
    encoder_.Priority = selection.priority;
    encoder_.Options = selection.options;
    encoder_.ProgramPath = unpackedProgram_;
    encoder_.OutputFormat = selection.format;
    return true;
}

void TBatchRun::Loop()
{
    int position = 0;
    while (position < frontEnd_.EntryCount())
        ConvertEntry(position);
}

bool TBatchRun::ConvertEntry(int& position)
{
    frontEnd_.ClearCancelRequest();
    const fs::path input = frontEnd_.EntryPath(position);
    NamingChoice naming = frontEnd_.Naming();
    naming.format = encoder_.OutputFormat;
    const std::string output = MakeOutputPath(input, naming);
    frontEnd_.SetTips("Process: from " + input.string() + " to " + output);
    encoder_.InputFile = input;
    encoder_.OutputFile = output;
    if (SamePath(input, output)) {
        frontEnd_.SetResult(position, SameFileText);
        frontEnd_.Failed(input, SameFileText);
        ++position;
        return false;
    }
    if (!MayWriteOutput(output)) {
        frontEnd_.Skipped(input, output);
        ++position;
        return false;
    }
    encoder_.Start();
    PollUntilDone(input);
    if (!encoder_.Succeeded) {
        frontEnd_.SetResult(position, encoder_.ErrorText);
        frontEnd_.Failed(input, encoder_.ErrorText);
        ++position;
        return false;
    }
    Finish(position, input, output);
    return true;
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
        return frontEnd_.AskOverwrite("File \"" + output +
                                      "\" already exists, do you want to overwrite it?");
    case WhenFileExists::Ignore:
        break;
    }
    return false;
}

void TBatchRun::PollUntilDone(const fs::path& input)
{
    while (!encoder_.Done) {
        if (frontEnd_.CancelRequested())
            encoder_.Cancel();
        frontEnd_.Poll(input, encoder_.Percent);
    }
}

void TBatchRun::Finish(int& position, const fs::path& input, const std::string& output)
{
    if (frontEnd_.CopyTagsChosen())
        CopyTags(input, output);
    convertedFiles_.push_back(output);
    frontEnd_.Converted(input, output);
    std::error_code ec;
    if (frontEnd_.DeleteOriginalChosen() && !fs::remove(input, ec)) {
        frontEnd_.SetResult(position, "Can't delete original files!");
        ++position;
        return;
    }
    frontEnd_.RemoveEntry(position);
    frontEnd_.UpdateFileCount();
}

// Each run unpacks into a folder of its own, so two runs at once never
// replace or delete each other's program.
bool TBatchRun::UnpackProgram(const std::string& member)
{
    std::string pattern = (engine::TempFolder() / "tremolix-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return false;
    unpackFolder_ = pattern;
    return engine::ExtractFromPackage(programFolder_ / ArchiveName, member, unpackedProgram_, unpackFolder_);
}

void TBatchRun::RemoveUnpackedProgram()
{
    std::error_code ec;
    if (!unpackFolder_.empty())
        fs::remove_all(unpackFolder_, ec);
    unpackedProgram_.clear();
    unpackFolder_.clear();
}

}  // namespace app
