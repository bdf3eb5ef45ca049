// SPDX-License-Identifier: GPL-3.0-or-later
#include "NNFilter.h"

#include <algorithm>
#include <cstdlib>

namespace mac {
namespace {

// Blocks between two moves of the rolling windows back to their start.
constexpr std::size_t kWindowRun = 4096;

std::int32_t DotProduct(const std::int16_t* a, const std::int16_t* b, int n)
{
    std::uint32_t sum = 0;  // wraps at 32 bits, like the decoder's
    for (int i = 0; i < n; ++i)
        sum += static_cast<std::uint32_t>(std::int32_t {a[i]} * std::int32_t {b[i]});
    return static_cast<std::int32_t>(sum);
}

void AddTo(std::int16_t* weights, const std::int16_t* deltas, int n)
{
    for (int i = 0; i < n; ++i)
        weights[i] = static_cast<std::int16_t>(weights[i] + deltas[i]);
}

void SubtractFrom(std::int16_t* weights, const std::int16_t* deltas, int n)
{
    for (int i = 0; i < n; ++i)
        weights[i] = static_cast<std::int16_t>(weights[i] - deltas[i]);
}

std::int16_t Saturate16(std::int32_t value)
{
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(value, -32768, 32767));
}

}  // namespace

NNFilter::NNFilter(NNStageShape shape)
    : order_(shape.order),
      shift_(shape.shift),
      weights_(shape.order, 0),
      history_(shape.order + kWindowRun, 0),
      adapt_(shape.order + kWindowRun, 0),
      pos_(shape.order)
{
}

std::int32_t NNFilter::Residual(std::int32_t input)
{
    const std::int16_t* past = history_.data() + pos_ - order_;
    const std::int16_t* deltas = adapt_.data() + pos_ - order_;
    const std::int64_t dot = DotProduct(weights_.data(), past, order_);
    const std::int64_t prediction = (dot + (std::int64_t {1} << (shift_ - 1))) >> shift_;
    const auto residual = static_cast<std::int32_t>(static_cast<std::uint32_t>(input - prediction));

    if (residual > 0)
        AddTo(weights_.data(), deltas, order_);
    else if (residual < 0)
        SubtractFrom(weights_.data(), deltas, order_);
    Remember(input);
    return residual;
}

void NNFilter::Remember(std::int32_t input)
{
    const std::int64_t magnitude = std::abs(std::int64_t {input});
    std::int16_t step = 0;
    if (magnitude > 3 * average_)
        step = 32;
    else if (magnitude > average_ + average_ / 3)
        step = 16;
    else if (magnitude > 0)
        step = 8;

    history_[pos_] = Saturate16(input);
    adapt_[pos_] = static_cast<std::int16_t>(input < 0 ? -step : step);
    // Older inputs steer the weights less: halved at ages 2, 3 and 9.
    adapt_[pos_ - 1] >>= 1;
    adapt_[pos_ - 2] >>= 1;
    adapt_[pos_ - 8] >>= 1;
    average_ += (magnitude - average_) / 16;

    if (++pos_ == history_.size()) {
        std::copy(history_.end() - order_, history_.end(), history_.begin());
        std::copy(adapt_.end() - order_, adapt_.end(), adapt_.begin());
        pos_ = order_;
    }
}

}  // namespace mac
