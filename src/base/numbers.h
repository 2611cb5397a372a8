// Whole numbers as the plug-in reads them from its files and keywords.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kolvar {

// An optional sign and at least one decimal digit, nothing else, within 32 bits.
inline std::optional<std::int32_t> ParseInt32(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > std::int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// value × unit, saturated to 32 bits: a setting may hold any 32-bit number, and a
// product that wrapped would turn a long wait into a negative one.
inline std::int32_t SaturatedProduct(std::int32_t value, std::int32_t unit) {
  const std::int64_t product = std::int64_t{value} * unit;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(product, INT32_MIN, INT32_MAX));
}

// A timer interval of count units of unitMs, within what the system's timers take;
// 0 (from a count of 0 or less) leaves the timer without ticks.
inline std::int32_t TimerIntervalMs(std::int32_t count, std::int32_t unitMs) {
  return std::max(0, SaturatedProduct(count, unitMs));
}

}  // namespace kolvar
