// Numbers typed at a prompt are never rejected, so every line, however odd, must turn into some
// 32-bit value without overflow on the way. Out-of-range values are settled like this:
// - whole numbers without a sign ("4294967296") and "&H"/"&O"/"&B" numbers are read as an
//   unsigned 32-bit number and taken as signed: 2147483648 to 4294967295 become negative
//   ("&HFFFFFFFF" is -1), and anything larger gives -1;
// - a whole number with "-" whose magnitude passes 2147483648 gives -2147483648: a minus sign
//   never yields a positive answer;
// - a number with a fraction or exponent whose rounded value lies outside the 32-bit range gives
//   -2147483648.
#include "console/answers.h"

#include <cstdint>
#include <limits>

namespace sumquill {

namespace {

constexpr std::int32_t kOutOfRange = std::numeric_limits<std::int32_t>::min();
// Magnitudes are summed up to this cap and no further: it is past every 32-bit value, and an
// unsigned 64-bit sum never overflows on the way to it.
constexpr std::uint64_t kMagnitudeCap = std::uint64_t{1} << 40;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  return i;
}

/// The value of a digit in `base`, or -1 when the character is not one.
int digitValue(char c, int base) {
  int value = -1;
  if (isDigit(c)) {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value < base ? value : -1;
}

/// Digits of `base` from the start of `text`, up to the first other character, summed with a cap.
std::uint64_t readMagnitude(std::string_view text, int base) {
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    const int digit = digitValue(c, base);
    if (digit < 0) break;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > kMagnitudeCap) magnitude = kMagnitudeCap;
  }
  return magnitude;
}

std::int32_t asUnsigned32(std::uint64_t magnitude) {
  if (magnitude > std::numeric_limits<std::uint32_t>::max()) return -1;
  const auto bits = static_cast<std::uint32_t>(magnitude);
  if (bits <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    return static_cast<std::int32_t>(bits);
  }
  // Two's complement reading of the top half, written without an implementation-defined cast.
  return static_cast<std::int32_t>(bits - 2147483648u) + kOutOfRange;
}

std::int32_t negated(std::uint64_t magnitude) {
  if (magnitude >= 2147483648u) return kOutOfRange;
  return -static_cast<std::int32_t>(magnitude);
}

/// The part of the line that an integer answer reads: up to a blank or comma, at most 67
/// characters, with a leading quoted stretch in which blanks and commas do not end it.
std::string numberText(std::string_view line) {
  std::string text;
  std::size_t i = skipBlanks(line);
  bool quoted = i < line.size() && line[i] == '"';
  if (quoted) ++i;
  for (; i < line.size() && text.size() < kMaxNumberText; ++i) {
    const char c = line[i];
    if (quoted && c == '"') {
      quoted = false;
      continue;
    }
    if (!quoted && (c == ' ' || c == ',')) break;
    text.push_back(c);
  }
  return text;
}

/// A decimal number as digits and a power of ten: value = digits × 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;  // without leading zeros; empty for zero
  std::int64_t exponent = 0;
  bool anyDigit = false;
};

/// Reads sign, digits, fraction and an exponent ("e" or "d"), as far as they form a number.
Decimal readDecimal(std::string_view text) {
  Decimal number;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.negative = text[i++] == '-';
  const auto takeDigit = [&](char c) {
    number.anyDigit = true;
    if (c != '0' || !number.digits.empty()) number.digits.push_back(c);
  };
  for (; i < text.size() && isDigit(text[i]); ++i) takeDigit(text[i]);
  // Each fraction digit moves the point one place; dropped leading zeros still count here.
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && isDigit(text[i]); ++i) {
      takeDigit(text[i]);
      --number.exponent;
    }
  }
  if (!number.anyDigit) return number;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
    std::int64_t written = 0;
    for (; j < text.size() && isDigit(text[j]); ++j) {
      // At most 67 characters of digits could matter; past a million every value is settled.
      if (written < 1'000'000) written = written * 10 + (text[j] - '0');
    }
    number.exponent += negativeExponent ? -written : written;
  }
  return number;
}

/// The nearest integer to the decimal, halves to the even one, or `kOutOfRange`.
std::int32_t roundDecimal(const Decimal& number) {
  if (number.digits.empty()) return 0;
  const auto length = static_cast<std::int64_t>(number.digits.size());
  const std::int64_t wholeLength = length + number.exponent;  // digits before the point
  if (wholeLength > 10) return kOutOfRange;
  std::uint64_t whole = 0;
  for (std::int64_t k = 0; k < wholeLength; ++k) {
    const char digit = k < length ? number.digits[static_cast<std::size_t>(k)] : '0';
    whole = whole * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  // The fraction starts at digit index wholeLength (possibly after some implied zeros).
  bool roundUp = false;
  if (wholeLength >= 0 && wholeLength < length) {
    const auto first = static_cast<std::size_t>(wholeLength);
    const char lead = number.digits[first];
    const bool restNonZero = number.digits.find_first_not_of('0', first + 1) != std::string::npos;
    roundUp = lead > '5' || (lead == '5' && (restNonZero || whole % 2 == 1));
  }
  if (roundUp) ++whole;
  if (number.negative) return negated(whole);
  return whole > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
             ? kOutOfRange
             : static_cast<std::int32_t>(whole);
}

bool readsAsDecimal(std::string_view text) {
  const auto marker = text.find_first_of(".eEdD");
  return marker != std::string_view::npos &&
         text.substr(0, marker).find('&') == std::string_view::npos;
}

std::int32_t readPrefixed(std::string_view text) {
  switch (text[1]) {
    case 'H':
    case 'h':
      return asUnsigned32(readMagnitude(text.substr(2), 16));
    case 'O':
    case 'o':
      return asUnsigned32(readMagnitude(text.substr(2), 8));
    case 'B':
    case 'b':
      return asUnsigned32(readMagnitude(text.substr(2), 2));
    default:
      return asUnsigned32(readMagnitude(text.substr(1), 8));
  }
}

std::int32_t readWhole(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const std::uint64_t magnitude = readMagnitude(text, 10);
  return negative ? negated(magnitude) : asUnsigned32(magnitude);
}

}  // namespace

std::string textAnswer(std::string_view line) {
  line.remove_prefix(skipBlanks(line));
  std::string_view answer;
  if (!line.empty() && line[0] == '"') {
    line.remove_prefix(1);
    answer = line.substr(0, line.find('"'));
  } else {
    answer = line.substr(0, line.find(','));
  }
  return std::string(answer.substr(0, kMaxTextAnswer));
}

std::int32_t integerAnswer(std::string_view line) {
  const std::string text = numberText(line);
  if (readsAsDecimal(text)) return roundDecimal(readDecimal(text));
  if (text.size() >= 2 && text[0] == '&') return readPrefixed(text);
  return readWhole(text);
}

}  // namespace sumquill
