// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CompressionLevel.h"

namespace mac {

// Sign-sign LMS filter over the last `order` (saturated) inputs with
// 16-bit weights; its output is the input minus the filter's prediction.
class NNFilter {
public:
    explicit NNFilter(NNStageShape shape);

    std::int32_t Residual(std::int32_t input);

private:
    void Remember(std::int32_t input);

    int order_;
    int shift_;
    std::vector<std::int16_t> weights_;
    // Rolling windows: the last `order_` values end just before pos_.
    std::vector<std::int16_t> history_;
    std::vector<std::int16_t> adapt_;
    std::size_t pos_;
    std::int64_t average_ = 0;
};

}  // namespace mac
