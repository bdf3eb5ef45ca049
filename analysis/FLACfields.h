// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The comment names that TFLACfile keeps in fields, in the order Save
// writes them.

#include "analysis/FLACfile.h"

#include <array>

namespace analysis {

struct FLACfield {
    const char* name;
    std::string TFLACfile::*field;
    bool common;  // written also when only the common set is
};

inline constexpr std::array<FLACfield, 28> FLACfields = {{
    {"TRACKNUMBER", &TFLACfile::TrackNumber, true}, {"ARTIST", &TFLACfile::Artist, true},
    {"ALBUM", &TFLACfile::Album, true},             {"TITLE", &TFLACfile::Title, true},
    {"DATE", &TFLACfile::Date, true},               {"GENRE", &TFLACfile::Genre, true},
    {"COMMENT", &TFLACfile::Comment, true},         {"COMPOSER", &TFLACfile::Composer, true},
    {"LANGUAGE", &TFLACfile::Language, true},       {"COPYRIGHT", &TFLACfile::Copyright, true},
    {"URL", &TFLACfile::URL, true},                 {"ENCODER", &TFLACfile::Encoder, true},
    {"TONES", &TFLACfile::Tones, true},             {"STYLES", &TFLACfile::Styles, true},
    {"MOOD", &TFLACfile::Mood, true},               {"SITUATION", &TFLACfile::Situation, true},
    {"RATING", &TFLACfile::Rating, true},           {"QUALITY", &TFLACfile::Quality, true},
    {"TEMPO", &TFLACfile::Tempo, true},             {"TYPE", &TFLACfile::Type, true},
    {"PERFORMER", &TFLACfile::Performer, false},    {"LICENSE", &TFLACfile::License, false},
    {"ORGANIZATION", &TFLACfile::Organization, false}, {"DESCRIPTION", &TFLACfile::Description, false},
    {"LOCATION", &TFLACfile::Location, false},      {"CONTACT", &TFLACfile::Contact, false},
    {"ISRC", &TFLACfile::ISRC, false},              {"LYRICS", &TFLACfile::Lyrics, false},
}};

namespace flac {
constexpr std::uint8_t LastBlock = 0x80;
constexpr std::uint8_t Padding = 1;
constexpr std::uint8_t VorbisComment = 4;
constexpr std::uint8_t Picture = 6;
constexpr std::size_t StreamHeaderSize = 42;
constexpr std::uint32_t MaxBlockLength = 0xFFFFFF;
}  // namespace flac

}  // namespace analysis
