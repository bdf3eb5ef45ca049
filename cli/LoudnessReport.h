// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A file's measured loudness as probe --loudness and tags --replaygain show
// it: tab-separated text, or JSON values.

#include <QJsonObject>
#include <string>

#include "engine/Loudness.h"

namespace cli {

// "loudness -14.23 LUFS<TAB>true peak -0.52 dBTP<TAB>gain -3.77 dB" ("peak
// -0.61 dBFS" for a sample peak), or "silent: no gain" for silence. prefix
// names the scope ("album ").
std::string LoudnessText(const engine::Loudness& level, const std::string& prefix = {});

// {loudness, truePeak (linear) and truePeakDb or peak and peakDb, gain}
// with null loudness and gain for silence, under keys starting with prefix ("album": albumLoudness).
void AddLoudnessJson(QJsonObject& object, const engine::Loudness& level, const std::string& prefix = {});

}  // namespace cli
