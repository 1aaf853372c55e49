// How a typed line becomes an answer: the text form and the integer form of a prompt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sumquill {

/// Longest text answer; the rest of a longer one is dropped.
inline constexpr std::size_t kMaxTextAnswer = 4096;
/// Longest number text that an integer answer looks at.
inline constexpr std::size_t kMaxNumberText = 67;

/// The text answer of a typed line: leading blanks skipped, a quoted answer up to its closing
/// quote, otherwise up to the first comma.
std::string textAnswer(std::string_view line);
/// The integer answer of a typed line: decimal, "&H"/"&O"/"&B" or a decimal fraction with
/// exponent, rounded half to even; out-of-range values wrap as described in answers.cpp.
std::int32_t integerAnswer(std::string_view line);

}  // namespace sumquill
