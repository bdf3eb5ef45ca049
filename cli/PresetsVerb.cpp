// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>

#include "cli/Verb.h"
#include "engine/FormatTable.h"
#include "platform/ProgramFolder.h"
#include "presets/PresetCatalogue.h"
#include "presets/PresetFolder.h"

namespace {

// The format list entry the name stands for, letter case ignored.
const char* FormatEntry(const std::string& name)
{
    for (const char* entry : engine::DisplayNamesInListOrder())
        if (presets::SameTextIgnoringCase(name, entry))
            return entry;
    return nullptr;
}

int Presets(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return cli::UsageError("presets", args.empty() ? "no FORMAT given" : "takes one FORMAT; quote a name with blanks");
    const char* entry = FormatEntry(args.front());
    if (!entry)
        return cli::UsageError("presets", "unknown format \"" + args.front() + "\" (tremolix-cli formats lists them)");
    TPresetSelection state;
    const auto listing = presets::FillPresetList(platform::ProgramFolder(), entry, state);
    if (!listing.ErrorText.empty()) {
        std::cerr << listing.ErrorText << '\n';
        return cli::ExitFailed;
    }
    for (const auto& name : listing.Names)
        std::cout << name << '\n';
    return cli::ExitOk;
}

const cli::VerbRegistration registration(
    {"presets", "FORMAT",
     "  The presets of one output format, one name a line. FORMAT is its full name as\n"
     "  tremolix-cli formats lists it (letter case ignored); quote a name with blanks.\n",
     Presets});

}  // namespace
