// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace mac {

// Order and shift of one NN filter stage.
struct NNStageShape {
    int order;
    int shift;
};

struct CompressionLevel {
    int value;                         // 1000 (fast) to 5000 (insane)
    std::uint32_t blocksPerFrame;
    std::vector<NNStageShape> stages;  // in the order the encoder applies them
    bool widePrediction;               // stereo prediction in 64-bit arithmetic
};

// Empty for a value that is not one of the five levels.
std::optional<CompressionLevel> LevelFromValue(int value);

}  // namespace mac
