// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RunLoudness.h"

#include <atomic>
#include <cmath>

#include "engine/Loudness.h"
#include "tags/AlbumArtist.h"
#include "tags/ReplayGainTags.h"
#include "tags/TagInfo.h"

namespace fs = std::filesystem;

namespace app {
namespace {

// The level of what the output holds: the decode's measure moved by the
// gain the decode applied.
std::optional<replaygain::Level> OutputLevel(const engine::Loudness& measured, double appliedDb)
{
    if (measured.Silent())
        return std::nullopt;
    return replaygain::Level{measured.integrated + appliedDb, measured.peak * std::pow(10.0, appliedDb / 20)};
}

}  // namespace

std::string AlbumKey(const fs::path& input)
{
    TTAGInfo info;
    try {
        ReadTagInfo(input, info);
    } catch (const std::exception&) {
        return {};
    }
    if (info.Album.empty())
        return {};
    std::string artist = ReadAlbumArtist(input);
    if (artist.empty())
        artist = info.Artist;
    std::error_code ec;
    const fs::path folder = fs::absolute(input, ec).parent_path();
    // Unit separators keep "a" + "bc" apart from "ab" + "c".
    return artist + '\x1f' + info.Album + '\x1f' + folder.string();
}

RunLoudness::RunLoudness() = default;
RunLoudness::~RunLoudness() = default;

void RunLoudness::Start(const LoudnessChoice& choice, const std::vector<fs::path>& inputs)
{
    choice_ = choice;
    albumOf_.clear();
    albums_.clear();
    const bool albums = choice.tags == GainTagMode::TrackAndAlbum || choice.apply == LoudnessApply::Album;
    if (!albums)
        return;
    for (const fs::path& input : inputs) {
        const std::string key = AlbumKey(input);
        if (key.empty())
            continue;
        albumOf_[input] = key;
        Album& album = albums_[key];
        ++album.pending;
        album.inputs.push_back(input);
    }
}

std::optional<double> RunLoudness::AlbumGainDb(const fs::path& input)
{
    const auto found = albumOf_.find(input);
    if (choice_.apply != LoudnessApply::Album || found == albumOf_.end())
        return std::nullopt;
    Album& album = albums_[found->second];
    if (!album.gainDecided) {
        album.gainDecided = true;
        const std::atomic<bool> never{false};
        std::vector<std::shared_ptr<engine::LoudnessMeter>> meters;
        std::vector<const engine::LoudnessMeter*> all;
        for (const fs::path& member : album.inputs) {
            meters.push_back(engine::MeasureFileLoudness(member, never, engine::PeakKind::True));
            all.push_back(meters.back().get());
        }
        if (const auto level = engine::CombinedLoudness(all))
            album.gainDb = engine::LoudnessGainDb(*level, choice_.target);
    }
    return album.gainDb;
}

std::string RunLoudness::TrackDone(const fs::path& input, const fs::path& part, const fs::path& kind,
                                   std::shared_ptr<engine::LoudnessMeter> meter, double appliedDb)
{
    if (!replaygain::HoldsGainTags(kind))
        return {};
    // Values a tag copy brought from the input describe it, not an output
    // whose level was changed.
    const bool changed = appliedDb != 0;
    if (!Measures())
        return changed ? replaygain::WriteGainTags(part, {std::nullopt, std::nullopt, true}, kind) : std::string();
    const std::optional<engine::Loudness> measured = meter ? meter->Result() : std::nullopt;
    if (!measured)
        return "its loudness could not be measured";
    if (const auto found = albumOf_.find(input); found != albumOf_.end())
        albums_[found->second].members.push_back({fs::path(), meter, appliedDb});
    const std::optional<replaygain::Level> level = OutputLevel(*measured, appliedDb);
    // Silence has no loudness to bring anywhere: no gain is written.
    if (!level && !changed)
        return {};
    return replaygain::WriteGainTags(part, {level, std::nullopt, changed}, kind);
}

std::vector<std::pair<fs::path, std::string>> RunLoudness::EntryEnded(const fs::path& input, const fs::path& output)
{
    const auto found = albumOf_.find(input);
    if (found == albumOf_.end())
        return {};
    Album& album = albums_[found->second];
    // The member TrackDone added for this entry gets its final name.
    if (!output.empty() && !album.members.empty() && album.members.back().output.empty())
        album.members.back().output = output;
    else if (!album.members.empty() && album.members.back().output.empty())
        album.members.pop_back();
    if (--album.pending > 0 || choice_.tags != GainTagMode::TrackAndAlbum || album.members.empty())
        return {};
    std::vector<const engine::LoudnessMeter*> meters;
    for (const Member& member : album.members)
        meters.push_back(member.meter.get());
    std::vector<std::pair<fs::path, std::string>> problems;
    const std::optional<engine::Loudness> combined = engine::CombinedLoudness(meters);
    if (!combined || combined->Silent())
        return problems;
    for (const Member& member : album.members) {
        // Every output has the album's gain taken after its own applied gain.
        const auto level = OutputLevel(*combined, member.appliedDb);
        if (std::string problem = replaygain::WriteGainTags(member.output, {std::nullopt, level}); !problem.empty())
            problems.emplace_back(member.output, problem);
    }
    return problems;
}

}  // namespace app
