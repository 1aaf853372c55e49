// Typed lines of any bytes through the text and integer answers of a prompt. The text answer is
// checked against a model of its few rules; the integer answer against plain arithmetic for whole
// numbers in every base (with the wrap-around chosen for values past 32 bits) and for short
// fractions, and for stability under what may follow the number. The same bytes piped in as a
// script's line give a line without any byte below 32, kept in bounded memory, whose answers are
// those of the whole line as the keyboard would have typed it.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "check.h"
#include "console/answers.h"
#include "console/stream_input.h"

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

/// Digits of `base` as one unsigned number; past 2^40 the exact value no longer matters.
std::uint64_t magnitudeOf(std::string_view digits, int base) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    value = value * static_cast<std::uint64_t>(base) +
            static_cast<std::uint64_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    if (value > (std::uint64_t{1} << 40)) value = std::uint64_t{1} << 40;
  }
  return value;
}

/// Out-of-range whole numbers are read as unsigned 32 bits and taken as signed; larger ones
/// give -1. A minus sign never gives a positive answer: past -2^31 it stays at -2^31.
std::int64_t wrapUnsigned(std::uint64_t magnitude) {
  if (magnitude > 0xFFFFFFFFu) return -1;
  return magnitude > 0x7FFFFFFFu ? static_cast<std::int64_t>(magnitude) - (std::int64_t{1} << 32)
                                 : static_cast<std::int64_t>(magnitude);
}

/// The value of the number texts whose reading is plain arithmetic: whole decimal numbers,
/// "&H"/"&O"/"&B"/"&" literals, and short decimal fractions. Anything else: no opinion.
std::optional<std::int64_t> plainValue(std::string_view text) {
  text = text.substr(0, sumquill::kMaxNumberText);
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
    return wrapUnsigned(magnitudeOf(text.substr(start, end - start), base));
  }
  const bool negative = text[0] == '-';
  const bool sign = negative || text[0] == '+';
  std::size_t digits = sign ? 1 : 0;
  const std::size_t first = digits;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (text.find_first_of(".eEdD", digits) == std::string_view::npos) {
    // Whole number: what follows the digits is ignored.
    const std::uint64_t magnitude = magnitudeOf(text.substr(first, digits - first), 10);
    if (negative)
      return magnitude >= 0x80000000u ? INT32_MIN : -static_cast<std::int64_t>(magnitude);
    if (sign && magnitude > 0x7FFFFFFFu) return std::nullopt;  // "+" past the range: no opinion
    return wrapUnsigned(magnitude);
  }
  // A fraction: at most nine digits, a point, at most six more digits, nothing after.
  if (digits - first == 0 || digits - first > 9 || text[digits] != '.') return std::nullopt;
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
  if (!text.empty()) CHECK(integerAnswer("   " + std::string(text) + " 9") == answer);
  if (text.size() > sumquill::kMaxNumberText) {
    CHECK(integerAnswer(text.substr(0, sumquill::kMaxNumberText)) == answer);
  }
  if (const auto value = plainValue(text)) CHECK(*value == answer);
}

/// The length of the valid UTF-8 sequence at the start of `text`, or 0: written apart from the
/// program's own rule, as the test's model.
std::size_t utf8SequenceAt(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t length = 0;
  std::uint32_t value = 0;
  if (byte(0) >= 0xC2 && byte(0) <= 0xDF) {
    length = 2;
    value = byte(0) & 0x1F;
  } else if (byte(0) >= 0xE0 && byte(0) <= 0xEF) {
    length = 3;
    value = byte(0) & 0x0F;
  } else if (byte(0) >= 0xF0 && byte(0) <= 0xF4) {
    length = 4;
    value = byte(0) & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  const std::uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return length;
}

/// The line as keys would type it, kept whole: Backspace takes the last character (a valid
/// UTF-8 sequence, or one byte), no other control byte goes in.
std::string modelTypedLine(std::string_view bytes) {
  std::string line;
  for (const char c : bytes) {
    if (c == 8 || c == 127) {
      std::size_t last = 0;
      for (std::size_t at = 0; at < line.size();) {
        last = at;
        const std::size_t length = utf8SequenceAt(std::string_view(line).substr(at));
        at += length == 0 ? 1 : length;
      }
      line.resize(last);
    } else if (static_cast<unsigned char>(c) >= 32) {
      line.push_back(c);
    }
  }
  return line;
}

void checkPipedLine(std::string_view bytes) {
  std::string input(bytes);
  input += '\n';
  std::size_t position = 0;
  sumquill::StreamInput stream([&](char* buffer, std::size_t size) -> std::ptrdiff_t {
    // A few bytes a read, so lines that span reads are exercised too.
    const std::size_t count = std::min<std::size_t>({size, input.size() - position, 7});
    std::copy_n(input.data() + position, count, buffer);
    position += count;
    return static_cast<std::ptrdiff_t>(count);
  });
  std::string line;
  CHECK(stream.readLine(line));
  CHECK(std::none_of(line.begin(), line.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }));
  CHECK(line.size() <= 2 * kMaxTextAnswer + 1);
  const std::string whole = modelTypedLine(bytes);
  CHECK(textAnswer(line) == textAnswer(whole));
  CHECK(integerAnswer(line) == integerAnswer(whole));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  // A typed line never holds its own line end.
  if (line.find_first_of("\r\n") != std::string_view::npos) return 0;
  checkText(line);
  checkInteger(line);
  checkPipedLine(line);
  return 0;
}
