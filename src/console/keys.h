// The program's key texts. A key with a character is that one byte. A key without one is two
// bytes: kExtendedKey, then the key's extended code of the PC BIOS keyboard services, which is
// what the Windows console reports as its scan code and what the POSIX terminal decodes escape
// sequences into. Menus compare whole key texts, so a two-byte key never answers a menu.
#pragma once

#include <string>
#include <string_view>

namespace sumquill::keys {

/// The first byte of a key without a character.
inline constexpr char kExtendedKey = '\xFF';

// Keys with a character the dialogue gives a meaning of its own.
inline constexpr char kBackspace = 8;
inline constexpr char kTab = 9;
inline constexpr char kLineFeed = 10;
inline constexpr char kEnter = 13;
inline constexpr char kEscape = 27;
/// What most terminals send for Backspace, and Windows for Ctrl+Backspace: taken as Backspace.
inline constexpr char kDelete = 127;

// Extended codes.
inline constexpr char kHome = 'G';
inline constexpr char kUp = 'H';
inline constexpr char kPageUp = 'I';
inline constexpr char kLeft = 'K';
inline constexpr char kRight = 'M';
inline constexpr char kEnd = 'O';
inline constexpr char kDown = 'P';
inline constexpr char kPageDown = 'Q';
inline constexpr char kInsert = 'R';
inline constexpr char kDeleteKey = 'S';
/// F1 to F10 are kF1 to kF1 + 9 (';' to 'D').
inline constexpr char kF1 = ';';

/// The key text of a key without a character.
inline std::string extended(char code) { return std::string{kExtendedKey, code}; }

/// The extended code of a key text, or 0 for a key with a character.
constexpr char extendedCode(std::string_view key) {
  return key.size() == 2 && key[0] == kExtendedKey ? key[1] : 0;
}

}  // namespace sumquill::keys
