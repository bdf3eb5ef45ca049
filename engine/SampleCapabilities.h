// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The decode a job asks for to keep as much of a source's samples as the
// output format (its row's SampleCapability) and the preset allow.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/AudioLibrary.h"

namespace engine {

// What a preset fixes whatever the source is; 0 where it keeps the source's.
struct PresetFixes {
    std::uint32_t bits = 0;
    std::uint32_t channels = 0;
    std::uint32_t rate = 0;
};
// The fixes an options text of the format's presets asks its encoder for.
PresetFixes FixedByOptions(std::uint8_t format, const std::string& options);

struct DecodePlan {
    std::uint32_t bits = 16;    // for AudioLibrary::ChannelSetSampleFormat
    bool keepChannels = false;
    // Each reduction of the source, as the run's log says it:
    // "24-bit samples dithered to 16 bits", "down-mixed from 6 to 2 channels".
    std::vector<std::string> notes;
};
DecodePlan PlanDecode(std::uint8_t format, const PresetFixes& fixes, const AudioLibrary::SourceFormat& source,
                      std::uint32_t sourceRate);

}  // namespace engine
