#include "formula/column_names.h"

#include "console/ascii.h"

namespace sumquill {

namespace {

constexpr std::int64_t kLetters = 26;
/// The code just before "A": a column's letter is its number in the alphabet plus this.
constexpr std::int64_t kBeforeA = 64;

/// The byte of a character code. Codes above 255 only come from numbers far beyond ZZ; they are
/// held at 255 rather than wrapped, so no huge number turns back into a plausible column name.
char byteOf(std::int64_t code) { return static_cast<char>(code > 255 ? 255 : code); }

std::int64_t codeOf(char c) { return static_cast<unsigned char>(c); }

}  // namespace

std::int32_t columnNameToNumber(std::string_view name) {
  const auto first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return static_cast<std::int32_t>(-kBeforeA);
  name = name.substr(first, name.find_last_not_of(' ') - first + 1);
  const std::int64_t c1 = codeOf(upperAscii(name[0])) - kBeforeA;
  if (name.size() != 2) return static_cast<std::int32_t>(c1);
  const std::int64_t c2 = codeOf(upperAscii(name[1])) - kBeforeA;
  return static_cast<std::int32_t>(c1 * kLetters + c2);
}

std::string columnNumberToName(std::int32_t number) {
  const std::int64_t n = number;
  // Floor division, so that every negative number also leaves a remainder from 0 to 25.
  std::int64_t q = n / kLetters;
  if (n % kLetters < 0) --q;
  const std::int64_t r = n - kLetters * q;
  if (q < 1) return std::string(1, byteOf(r + kBeforeA));
  if (n == kLetters) return "Z";
  if (r > 0) return {byteOf(q + kBeforeA), byteOf(r + kBeforeA)};
  // A multiple of 26 ends in Z and borrows that Z from the first letter.
  return {byteOf(q + kBeforeA - 1), 'Z'};
}

}  // namespace sumquill
