// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace mac {

// s[i] - 31/32 s[i-1]: takes the bulk of the low frequencies out first.
class FirstOrderFilter {
public:
    std::int32_t Apply(std::int32_t sample);

private:
    std::int32_t last_ = 0;
};

// Sign-adapted linear predictor over a channel's own filtered past and,
// for stereo, the other channel's filtered values.
class AdaptivePredictor {
public:
    // How the stereo prediction is summed: wrapped to 32 bits or in 64 bits.
    enum class Arithmetic { Wrapped, Wide };

    std::int32_t MonoResidual(std::int32_t a);
    // Throws when a wide residual leaves the 32-bit range.
    std::int32_t StereoResidual(std::int32_t a, std::int32_t side, Arithmetic arithmetic);

private:
    std::array<std::int64_t, 4> OwnTerms() const;
    void Remember(std::int32_t a);

    std::array<std::int32_t, 4> lastA_ {};     // a[i-1] .. a[i-4]
    std::array<std::int32_t, 4> lastSide_ {};  // b[i-1] .. b[i-4]
    std::array<std::int32_t, 4> coeffsA_ {360, 317, -109, 98};
    std::array<std::int32_t, 5> coeffsB_ {};
};

}  // namespace mac
