// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outputs a run would write, worked out before it starts, so the list
// can show each entry's planned path and what stands in its way.

#include <filesystem>
#include <string>
#include <vector>

#include "app/OutputNaming.h"

namespace app {

enum class OutputMark { None, Collision, Exists, Refused };

struct PlannedOutput {
    std::string path;  // empty when refused
    OutputMark mark = OutputMark::None;
    std::string reason;  // for the user; empty when not marked
};

// One plan per input, in order. Two inputs with the same output are both
// marked as a collision; an output on disk already is marked as existing;
// a path outside the target folder or one the tags cannot give is refused.
std::vector<PlannedOutput> PlanOutputs(const std::vector<std::filesystem::path>& inputs,
                                       const NamingChoice& naming);

// The path as the list shows it: below the target folder's fixed part when
// it lies there, whole otherwise.
std::string ShownOutput(const std::string& path, const std::string& targetFolder);

}  // namespace app
