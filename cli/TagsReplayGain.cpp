// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TagsReplayGain.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "app/FolderFiles.h"
#include "app/RunLoudness.h"
#include "cli/FileArguments.h"
#include "cli/LoudnessArguments.h"
#include "cli/LoudnessReport.h"
#include "cli/Output.h"
#include "cli/Verb.h"
#include "engine/Encoder.h"
#include "engine/Loudness.h"
#include "tags/ReplayGainTags.h"
#include "tags/TagInfo.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

struct Measured {
    fs::path file;
    std::shared_ptr<engine::LoudnessMeter> meter;
    std::optional<engine::Loudness> track;
    std::optional<engine::Loudness> album;
};

std::optional<replaygain::Level> LevelOf(const std::optional<engine::Loudness>& level)
{
    if (!level || level->Silent())
        return std::nullopt;
    return replaygain::Level{level->integrated, level->peak};
}

// Folders become the decodable files below them.
std::vector<fs::path> ExpandFolders(const std::vector<std::string>& given)
{
    std::vector<fs::path> files;
    for (const std::string& name : given) {
        std::error_code ec;
        if (!fs::is_directory(name, ec)) {
            files.emplace_back(name);
            continue;
        }
        const app::FolderAudio audio = app::ListFolderAudio(name);
        files.insert(files.end(), audio.files.begin(), audio.files.end());
    }
    return files;
}

// Each album measured as one programme over its files that measured.
void MeasureAlbums(std::vector<Measured>& measured)
{
    std::map<std::string, std::vector<Measured*>> albums;
    for (Measured& entry : measured)
        if (entry.track)
            if (std::string key = app::AlbumKey(entry.file); !key.empty())
                albums[key].push_back(&entry);
    for (auto& [key, members] : albums) {
        std::vector<const engine::LoudnessMeter*> meters;
        for (const Measured* member : members)
            meters.push_back(member->meter.get());
        const std::optional<engine::Loudness> album = engine::CombinedLoudness(meters);
        for (Measured* member : members)
            member->album = album;
    }
}

void Report(bool json, const Measured& entry)
{
    if (json) {
        QJsonObject object{{"file", JsonText(entry.file.string())}, {"written", LevelOf(entry.track).has_value()}};
        AddLoudnessJson(object, *entry.track);
        if (entry.album)
            AddLoudnessJson(object, *entry.album, "album");
        PrintJsonLine(object);
        return;
    }
    std::cout << Escaped(entry.file.string()) << '\t' << LoudnessText(*entry.track);
    if (entry.album)
        std::cout << '\t' << LoudnessText(*entry.album, "album ");
    std::cout << '\n';
}

}  // namespace

bool AsksForGainTags(const std::vector<std::string>& args)
{
    const auto end = std::find(args.begin(), args.end(), "--");
    return std::find(args.begin(), end, "--replaygain") != end;
}

int WriteGainTagsVerb(const std::vector<std::string>& args)
{
    std::vector<std::string> rest = args;
    const auto option = std::find(rest.begin(), rest.end(), "--replaygain");
    app::GainTagMode mode = app::GainTagMode::Off;
    if (option + 1 == rest.end() || !ParseGainTagMode(*(option + 1), mode))
        return UsageError("tags", "--replaygain takes track or album");
    rest.erase(option, option + 2);
    FileArguments arguments;
    std::string problem;
    if (!ParseFileArguments(rest, false, arguments, problem))
        return UsageError("tags", problem);
    if (arguments.files.empty())
        return UsageError("tags", "--replaygain needs a FOLDER or FILE");
    std::vector<Measured> measured;
    int status = ExitOk;
    try {
        TEncoder encoder;
        const std::atomic<bool> never{false};
        for (const fs::path& file : ExpandFolders(arguments.files)) {
            Measured entry{file, engine::MeasureFileLoudness(file, never, engine::PeakKind::Sample), {}, {}};
            entry.track = entry.meter ? entry.meter->Result() : std::nullopt;
            if (entry.track && replaygain::HoldsGainTags(file)) {
                measured.push_back(std::move(entry));
                continue;
            }
            std::string why = TagFileProblem(file);
            if (why.empty())
                why = entry.track ? "its kind holds no gain values" : "no decoder reads it";
            ReportFileProblem(arguments.json, file, why);
            status = ExitFailed;
        }
    } catch (const EncoderError& error) {
        std::cerr << error.what() << '\n';
        return ExitFailed;
    }
    if (mode == app::GainTagMode::TrackAndAlbum)
        MeasureAlbums(measured);
    for (const Measured& entry : measured) {
        // Silence has no loudness to bring anywhere: nothing is written.
        const replaygain::GainTags tags{LevelOf(entry.track), LevelOf(entry.album)};
        if (tags.track || tags.album) {
            if (std::string why = replaygain::WriteGainTags(entry.file, tags); !why.empty()) {
                ReportFileProblem(arguments.json, entry.file, why);
                status = ExitFailed;
                continue;
            }
        }
        Report(arguments.json, entry);
    }
    return status;
}

}  // namespace cli
