// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SampleCapabilities.h"

#include <algorithm>
#include <sstream>

#include "engine/FormatTable.h"

namespace engine {

// A row's multichannel limit is what a decode can keep.
static_assert(AudioLibrary::MaxKeptChannels == 8);

PresetFixes FixedByOptions(std::uint8_t format, const std::string& options)
{
    PresetFixes fixes;
    // Only the WAV tool's presets fix a layout, with its own switches.
    if (format != FormatWav)
        return fixes;
    std::istringstream words(options);
    std::string word;
    while (words >> word) {
        if (word == "--mono" || word == "--stereo")
            fixes.channels = word == "--mono" ? 1 : 2;
        else if (word == "--bits")
            words >> fixes.bits;
        else if (word == "--rate")
            words >> fixes.rate;
    }
    return fixes;
}

DecodePlan PlanDecode(std::uint8_t format, const PresetFixes& fixes, const AudioLibrary::SourceFormat& source,
                      std::uint32_t sourceRate)
{
    const SampleCapability& capability = Row(format).samples;
    DecodePlan plan;
    const std::uint32_t maxChannels = capability.maxChannels;
    const std::uint32_t channelLimit = fixes.channels ? std::min(fixes.channels, maxChannels) : maxChannels;
    // The decoder keeps a layout or mixes to stereo; a mono preset's
    // encoder mixes the stereo further.
    plan.keepChannels = source.chans > 2 && source.chans <= channelLimit;
    const std::uint32_t channels = plan.keepChannels ? source.chans : std::min({source.chans, 2u, channelLimit});
    if (channels < source.chans)
        plan.notes.push_back("down-mixed from " + std::to_string(source.chans) + " to " + std::to_string(channels) +
                             (channels == 1 ? " channel" : " channels"));
    if (capability.lossless) {
        const std::uint32_t bits = std::min<std::uint32_t>(fixes.bits ? fixes.bits : 24, capability.maxBits);
        // Never more than the source holds: a 16-bit source stays 16-bit.
        plan.bits = bits > 16 && source.bits > 16 ? 24 : 16;
        if (source.isFloat || source.bits > bits)
            plan.notes.push_back((source.isFloat ? std::string("32-bit float") : std::to_string(source.bits) + "-bit") +
                                 " samples dithered to " + std::to_string(bits) + " bits");
    }
    if (fixes.rate && fixes.rate != sourceRate)
        plan.notes.push_back("resampled from " + std::to_string(sourceRate) + " Hz to " + std::to_string(fixes.rate) +
                             " Hz");
    return plan;
}

}  // namespace engine
