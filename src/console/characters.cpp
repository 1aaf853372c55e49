#include "console/characters.h"

#include <algorithm>
#include <iterator>

namespace sumquill {

namespace {

struct Range {
  long first;
  long last;
};

// Zero width: combining marks of the scripts most text uses, the joiners and the variation
// selectors. Not every mark of Unicode, but those a typed name is likely to hold.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF},   {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F},   {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED},   {0x0711, 0x0711},
    {0x0730, 0x074A}, {0x0900, 0x0902}, {0x093A, 0x093A}, {0x093C, 0x093C},   {0x0941, 0x0948},
    {0x094D, 0x094D}, {0x0951, 0x0957}, {0x0962, 0x0963}, {0x0E31, 0x0E31},   {0x0E34, 0x0E3A},
    {0x0E47, 0x0E4E}, {0x1160, 0x11FF}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},   {0x200B, 0x200F},
    {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302D},   {0x3099, 0x309A},
    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// Two columns: East Asian wide and fullwidth characters, and the emoji shown as pictures.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4},
    {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
    {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

template <std::size_t N>
constexpr bool sortedApart(const Range (&ranges)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (ranges[i].first > ranges[i].last || (i > 0 && ranges[i - 1].last >= ranges[i].first)) {
      return false;
    }
  }
  return true;
}
static_assert(sortedApart(kZeroWidth) && sortedApart(kWide), "ranges are searched by halves");

template <std::size_t N>
bool within(const Range (&ranges)[N], long codePoint) {
  const Range* found = std::upper_bound(std::begin(ranges), std::end(ranges), codePoint,
                                        [](long value, const Range& r) { return value < r.first; });
  return found != std::begin(ranges) && codePoint <= std::prev(found)->last;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

long utf8CodePoint(std::string_view sequence) {
  const std::size_t size = sequence.size();
  if (size < 2 || size > 4) return -1;
  const auto lead = static_cast<unsigned char>(sequence[0]);
  long value = 0;
  long least = 0;  // the smallest value this length may carry: shorter forms are overlong
  if (size == 2 && (lead & 0xE0) == 0xC0) {
    value = lead & 0x1F;
    least = 0x80;
  } else if (size == 3 && (lead & 0xF0) == 0xE0) {
    value = lead & 0x0F;
    least = 0x800;
  } else if (size == 4 && (lead & 0xF8) == 0xF0) {
    value = lead & 0x07;
    least = 0x10000;
  } else {
    return -1;
  }
  for (std::size_t i = 1; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(sequence[i]);
    if (!isContinuation(byte)) return -1;
    value = (value << 6) | (byte & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
  return value;
}

int codePointColumns(long codePoint) {
  if (within(kZeroWidth, codePoint)) return 0;
  if (within(kWide, codePoint)) return 2;
  return 1;
}

CharacterSet CharacterSet::utf8() { return CharacterSet(Kind::utf8); }

CharacterSet CharacterSet::singleByte() { return CharacterSet(Kind::singleByte); }

CharacterSet CharacterSet::doubleByte(const std::array<bool, 256>& leadBytes) {
  CharacterSet set(Kind::doubleByte);
  set.leadBytes_ = leadBytes;
  return set;
}

std::size_t CharacterSet::expectedLength(unsigned char lead) const {
  switch (kind_) {
    case Kind::singleByte:
      return 1;
    case Kind::doubleByte:
      return leadBytes_[lead] ? 2 : 1;
    case Kind::utf8:
      if ((lead & 0xE0) == 0xC0) return 2;
      if ((lead & 0xF0) == 0xE0) return 3;
      if ((lead & 0xF8) == 0xF0) return 4;
      return 1;
  }
  return 1;
}

bool CharacterSet::continues(unsigned char byte) const {
  switch (kind_) {
    case Kind::singleByte:
      return false;
    case Kind::doubleByte:
      return byte >= 0x40;  // trail bytes of the double-byte code pages
    case Kind::utf8:
      return isContinuation(byte);
  }
  return false;
}

std::size_t CharacterSet::lengthAt(std::string_view text, std::size_t at) const {
  const std::size_t length = expectedLength(static_cast<unsigned char>(text[at]));
  if (length == 1 || at + length > text.size()) return 1;
  if (kind_ == Kind::utf8 && utf8CodePoint(text.substr(at, length)) < 0) return 1;
  return length;
}

std::size_t CharacterSet::lastStart(std::string_view text) const {
  if (text.empty()) return 0;
  if (kind_ == Kind::singleByte) return text.size() - 1;
  if (kind_ == Kind::doubleByte) {
    // A trail byte may look like a lead byte, so the line is read from its start.
    std::size_t at = 0;
    for (std::size_t next = 0; next < text.size(); next += lengthAt(text, next)) at = next;
    return at;
  }
  // A valid sequence that ends the text is its last character; sequences synchronise
  // themselves, so this is where reading from the start would put it too.
  for (std::size_t length = 2; length <= 4 && length <= text.size(); ++length) {
    const std::size_t at = text.size() - length;
    if (lengthAt(text, at) == length) return at;
  }
  return text.size() - 1;
}

int CharacterSet::columns(std::string_view character) const {
  if (character.size() == 1) return 1;
  if (kind_ == Kind::doubleByte) return 2;
  const long codePoint = utf8CodePoint(character);
  return codePoint < 0 ? 1 : codePointColumns(codePoint);
}

}  // namespace sumquill
