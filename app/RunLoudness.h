// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Loudness over a run: track gain values written into each output before it
// gets its name, album values into all outputs of an album once its last
// entry is done, and an album's one gain decided before its first job when
// album loudness is applied. An album is the entries that share album
// artist (or artist), album and source folder; an entry without an album
// tag belongs to none.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine {
class LoudnessMeter;
}

namespace app {

enum class GainTagMode : std::uint8_t { Off = 0, Track = 1, TrackAndAlbum = 2 };
enum class LoudnessApply : std::uint8_t { Off = 0, Track = 1, Album = 2 };

struct LoudnessChoice {
    GainTagMode tags = GainTagMode::Off;
    LoudnessApply apply = LoudnessApply::Off;
    double target = -18.0;  // LUFS
};

// The album an input belongs to, from its tags; empty for none.
std::string AlbumKey(const std::filesystem::path& input);

class RunLoudness {
public:
    RunLoudness();
    ~RunLoudness();

    // The run's inputs in list order.
    void Start(const LoudnessChoice& choice, const std::vector<std::filesystem::path>& inputs);
    bool Measures() const { return choice_.tags != GainTagMode::Off; }

    // The gain in dB for an input's job when its album's gain is applied,
    // measuring the whole album first; nothing otherwise or when the album
    // cannot be measured.
    std::optional<double> AlbumGainDb(const std::filesystem::path& input);

    // A converted entry: its track values go into part, an output of kind
    // (named by its extension). Empty on success, else why not.
    std::string TrackDone(const std::filesystem::path& input, const std::filesystem::path& part,
                          const std::filesystem::path& kind,
                          std::shared_ptr<engine::LoudnessMeter> meter, double appliedDb);
    // An entry is over: output is its committed file, empty when it failed
    // or was skipped. When it was its album's last, the album's values go
    // into the album's outputs; returns the outputs that did not take them,
    // with why.
    std::vector<std::pair<std::filesystem::path, std::string>> EntryEnded(const std::filesystem::path& input,
                                                                         const std::filesystem::path& output);

private:
    struct Member {
        std::filesystem::path output;
        std::shared_ptr<engine::LoudnessMeter> meter;
        double appliedDb = 0;
    };
    struct Album {
        int pending = 0;
        std::vector<std::filesystem::path> inputs;
        std::vector<Member> members;
        std::optional<double> gainDb;
        bool gainDecided = false;
    };

    LoudnessChoice choice_;
    std::map<std::filesystem::path, std::string> albumOf_;
    std::map<std::string, Album> albums_;
};

}  // namespace app
