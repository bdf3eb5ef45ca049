// SPDX-License-Identifier: GPL-3.0-or-later
#include "Prediction.h"

#include <limits>
#include <stdexcept>

namespace mac {
namespace {

std::int32_t Wrap32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

int Sign(std::int64_t value)
{
    const std::int32_t v = Wrap32(value);
    return (v > 0) - (v < 0);
}

template <std::size_t N>
std::int64_t Dot(const std::array<std::int32_t, N>& coeffs, const std::array<std::int64_t, N>& terms)
{
    std::int64_t sum = 0;
    for (std::size_t k = 0; k < N; ++k)
        sum += std::int64_t {coeffs[k]} * terms[k];
    return sum;
}

template <std::size_t N>
void Adapt(std::array<std::int32_t, N>& coeffs, const std::array<std::int64_t, N>& terms, int sign)
{
    for (std::size_t k = 0; k < N; ++k)
        coeffs[k] += sign * Sign(terms[k]);
}

}  // namespace

std::int32_t FirstOrderFilter::Apply(std::int32_t sample)
{
    const std::int32_t out = sample - ((31 * last_) >> 5);
    last_ = sample;
    return out;
}

std::array<std::int64_t, 4> AdaptivePredictor::OwnTerms() const
{
    return {lastA_[0], std::int64_t {lastA_[0]} - lastA_[1], std::int64_t {lastA_[1]} - lastA_[2],
            std::int64_t {lastA_[2]} - lastA_[3]};
}

void AdaptivePredictor::Remember(std::int32_t a)
{
    lastA_ = {a, lastA_[0], lastA_[1], lastA_[2]};
}

std::int32_t AdaptivePredictor::MonoResidual(std::int32_t a)
{
    const auto terms = OwnTerms();
    const std::int32_t prediction = Wrap32(Dot(coeffsA_, terms)) >> 10;
    const std::int32_t residual = Wrap32(std::int64_t {a} - prediction);
    Adapt(coeffsA_, terms, Sign(residual));
    Remember(a);
    return residual;
}

std::int32_t AdaptivePredictor::StereoResidual(std::int32_t a, std::int32_t side, Arithmetic arithmetic)
{
    const auto terms = OwnTerms();
    const std::array<std::int64_t, 5> sideTerms = {
        side, std::int64_t {side} - lastSide_[0], std::int64_t {lastSide_[0]} - lastSide_[1],
        std::int64_t {lastSide_[1]} - lastSide_[2], std::int64_t {lastSide_[2]} - lastSide_[3]};
    const std::int64_t own = Dot(coeffsA_, terms);
    const std::int64_t cross = Dot(coeffsB_, sideTerms);

    std::int64_t residual = 0;
    if (arithmetic == Arithmetic::Wide) {
        residual = a - ((own + (cross >> 1)) >> 10);
        if (residual < std::numeric_limits<std::int32_t>::min() ||
            residual > std::numeric_limits<std::int32_t>::max())
            throw std::runtime_error("prediction residual out of range");
    } else {
        const std::int32_t prediction = Wrap32(std::int64_t {Wrap32(own)} + (Wrap32(cross) >> 1)) >> 10;
        residual = Wrap32(std::int64_t {a} - prediction);
    }

    const int sign = Sign(residual);
    Adapt(coeffsA_, terms, sign);
    Adapt(coeffsB_, sideTerms, sign);
    Remember(a);
    lastSide_ = {side, lastSide_[0], lastSide_[1], lastSide_[2]};
    return static_cast<std::int32_t>(residual);
}

}  // namespace mac
