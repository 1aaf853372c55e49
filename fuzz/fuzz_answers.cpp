// Typed lines of any bytes through the text and integer answers of a prompt. The text answer is
// checked against a model of its few rules; the integer answer against plain arithmetic for the
// number forms whose value is not in doubt, and for stability under what may follow the number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "check.h"
#include "console/answers.h"

namespace {

using sumquill::integerAnswer;
using sumquill::kMaxTextAnswer;
using sumquill::textAnswer;

std::string modelTextAnswer(std::string_view line) {
  std::size_t at = line.find_first_not_of(' ');
  if (at == std::string_view::npos) return {};
  std::string_view answer;
  if (line[at] == '"') {
    const auto rest = line.substr(at + 1);
    answer = rest.substr(0, rest.find('"'));
  } else {
    const auto rest = line.substr(at);
    answer = rest.substr(0, rest.find(','));
  }
  return std::string(answer.substr(0, kMaxTextAnswer));
}

bool isDigitOf(char c, int base) {
  int value;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  } else {
    return false;
  }
  return value < base;
}

/// The value of number texts that no choice about overflow or rounding can change: a short run
/// of decimal digits with an optional sign, a short "&H"/"&O"/"&B"/"&" literal, or a short
/// decimal fraction. Anything else: no opinion.
std::optional<std::int64_t> plainValue(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (text[0] == '&' && text.size() >= 2) {
    int base = 8;
    std::size_t start = 1;
    switch (text[1]) {
      case 'H':
      case 'h':
        base = 16;
        start = 2;
        break;
      case 'O':
      case 'o':
        base = 8;
        start = 2;
        break;
      case 'B':
      case 'b':
        base = 2;
        start = 2;
        break;
      default:
        break;
    }
    std::size_t end = start;
    while (end < text.size() && isDigitOf(text[end], base)) ++end;
    if (end != text.size()) return std::nullopt;  // a trailing other character: stay out of it
    const std::size_t maxDigits = base == 16 ? 7 : base == 8 ? 10 : 30;
    if (end - start > maxDigits) return std::nullopt;
    if (end == start) return 0;  // "&H" with no digit
    return std::strtoll(std::string(text.substr(start, end - start)).c_str(), nullptr, base);
  }
  std::size_t digits = text[0] == '+' || text[0] == '-' ? 1 : 0;
  const std::size_t first = digits;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits - first == 0 || digits - first > 9) return std::nullopt;
  if (digits == text.size()) return std::strtoll(std::string(text).c_str(), nullptr, 10);
  // A fraction: digits, a point, at most six more digits, nothing after.
  if (text[digits] != '.') return std::nullopt;
  std::size_t end = digits + 1;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  if (end != text.size() || end - digits - 1 > 6) return std::nullopt;
  return static_cast<std::int64_t>(std::nearbyint(std::strtod(std::string(text).c_str(), nullptr)));
}

void checkText(std::string_view line) {
  const std::string answer = textAnswer(line);
  CHECK(answer.size() <= kMaxTextAnswer);
  CHECK(line.find(answer) != std::string_view::npos);
  CHECK(answer == modelTextAnswer(line));
}

void checkInteger(std::string_view line) {
  const std::int32_t answer = integerAnswer(line);
  if (line.find('"') != std::string_view::npos) return;

  // Leading blanks are skipped, and the number text ends at a blank or a comma.
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    CHECK(answer == 0);
    return;
  }
  std::string_view text = line.substr(start);
  text = text.substr(0, text.find_first_of(" ,"));
  CHECK(integerAnswer(text) == answer);
  CHECK(integerAnswer(std::string(text) + ",9") == answer);
  CHECK(integerAnswer("   " + std::string(text) + " 9") == answer);
  if (text.size() > sumquill::kMaxNumberText) {
    CHECK(integerAnswer(text.substr(0, sumquill::kMaxNumberText)) == answer);
  }
  if (const auto value = plainValue(text)) CHECK(*value == answer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  // A typed line never holds its own line end.
  if (line.find_first_of("\r\n") != std::string_view::npos) return 0;
  checkText(line);
  checkInteger(line);
  return 0;
}
