// How the bytes of a typed answer form characters, and how many columns of a screen each takes.
// Keys arrive one byte at a time; a character of several bytes (UTF-8, or a double-byte code
// page on Windows) must be inserted, deleted and stepped over whole, so that the answer kept is
// exactly what the screen shows.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace sumquill {

class CharacterSet {
 public:
  /// UTF-8, as POSIX terminals and pipes carry text: a byte that is no part of a valid
  /// sequence is a character of its own, one column wide. Widths follow Unicode's East Asian
  /// wide and combining characters, without asking the user's locale.
  static CharacterSet utf8();
  /// One byte, one character, one column: the Windows single-byte code pages.
  static CharacterSet singleByte();
  /// A Windows double-byte code page: a lead byte and the byte after it are one character two
  /// columns wide.
  static CharacterSet doubleByte(const std::array<bool, 256>& leadBytes);

  /// The length in bytes of the character that starts at `at`, at least 1 (a lone byte). A
  /// character cut off at the end of `text` is as many lone bytes.
  std::size_t lengthAt(std::string_view text, std::size_t at) const;
  /// How many bytes a character starting with `lead` has, as far as the lead byte tells.
  std::size_t expectedLength(unsigned char lead) const;
  /// True when `byte` may be a byte after the first of a character.
  bool continues(unsigned char byte) const;
  /// Where the last character of `text` starts.
  std::size_t lastStart(std::string_view text) const;
  /// Columns the character takes on a screen: 0 (a combining mark), 1 or 2 (a wide one).
  int columns(std::string_view character) const;

 private:
  enum class Kind { utf8, singleByte, doubleByte };
  explicit CharacterSet(Kind kind) : kind_(kind) {}

  Kind kind_;
  std::array<bool, 256> leadBytes_{};
};

/// The code point of a valid UTF-8 sequence of 2 to 4 bytes, or -1.
long utf8CodePoint(std::string_view sequence);

/// Screen columns of a code point: 0 for combining marks and other zero-width characters, 2 for
/// East Asian wide and fullwidth ones, 1 for the rest.
int codePointColumns(long codePoint);

}  // namespace sumquill
