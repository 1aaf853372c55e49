// Key events of the Windows console input buffer turned into the program's key texts. The rules
// live here, away from the Windows file, so that they are tested on every platform; the record
// is the console's own, cut down to the fields the rules read.
//
// - A key-down record gives its character, repeated as often as the record says. A key without
//   one gives the character 255 followed by its scan code, which for these keys is the PC BIOS
//   extended code ("\xFFH" is Up); Shift, Ctrl, Alt and the lock keys alone give nothing.
// - DEL (127), which Ctrl+Backspace types, is Backspace (8), as DEL is on a POSIX terminal.
// - Alt + a number typed on the numeric keypad enters the character of that number. The keypad
//   keys held with Alt are the number being typed, never cursor keys, and give nothing; the
//   console hands the character over on the record of the Alt key's release.
// - Every other key-up record gives nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sumquill {

/// One key event as the console reports it.
struct ConsoleKeyRecord {
  bool keyDown = true;            ///< pressed (true) or released
  std::uint16_t repeatCount = 1;  ///< how often a held key repeated
  std::uint16_t virtualKey = 0;   ///< the console's code of the key
  std::uint16_t scanCode = 0;     ///< the keyboard's code of the key
  /// The character in the console's input code page; 0 for a key without one.
  char character = 0;
  /// The console's bits for the modifier keys held and the lock keys on.
  std::uint32_t controlState = 0;
};

/// Console codes of the keys and states the rules look at, with the values the console gives
/// them: they are fixed by the console's interface, the same on every version of it.
namespace console_keys {
inline constexpr std::uint16_t kShift = 0x10;         ///< Shift
inline constexpr std::uint16_t kControl = 0x11;       ///< Ctrl
inline constexpr std::uint16_t kMenu = 0x12;          ///< Alt
inline constexpr std::uint16_t kCapsLock = 0x14;      ///< Caps Lock
inline constexpr std::uint16_t kEscape = 0x1B;        ///< Esc
inline constexpr std::uint16_t kLeftWindows = 0x5B;   ///< the left Windows key
inline constexpr std::uint16_t kRightWindows = 0x5C;  ///< the right Windows key
inline constexpr std::uint16_t kNumpad0 = 0x60;       ///< keypad digits with Num Lock on: 0x60-0x69
inline constexpr std::uint16_t kNumpad9 = 0x69;       ///< the last of them
inline constexpr std::uint16_t kNumLock = 0x90;       ///< Num Lock
inline constexpr std::uint16_t kScrollLock = 0x91;    ///< Scroll Lock
inline constexpr std::uint16_t kLeftShift = 0xA0;  ///< 0xA0-0xA5: left and right Shift, Ctrl, Alt
inline constexpr std::uint16_t kLeftMenu = 0xA4;   ///< left Alt
inline constexpr std::uint16_t kRightMenu = 0xA5;  ///< right Alt, the last of them
/// Control state: the right or the left Alt key is held.
inline constexpr std::uint32_t kRightAltPressed = 0x0001;  ///< also held for AltGr
inline constexpr std::uint32_t kLeftAltPressed = 0x0002;   ///< the left one
/// Control state: the key is one of the separate cursor block, not the keypad's, which reports
/// the same scan codes.
inline constexpr std::uint32_t kEnhancedKey = 0x0100;
/// Scan codes of the keypad's digit keys, Num Lock on or off: 7 8 9 are 0x47-0x49, 4 5 6 are
/// 0x4B-0x4D, 1 2 3 are 0x4F-0x51 and 0 is 0x52.
inline constexpr std::uint16_t kKeypad7 = 0x47;      ///< the first of the range
inline constexpr std::uint16_t kKeypad0 = 0x52;      ///< the last of the range
inline constexpr std::uint16_t kKeypadMinus = 0x4A;  ///< in the range, but no digit
inline constexpr std::uint16_t kKeypadPlus = 0x4E;   ///< in the range, but no digit
}  // namespace console_keys

/// Appends to `keys` what one record of the console input gives, oldest first.
void appendKeyTexts(const ConsoleKeyRecord& record, std::vector<std::string>& keys);

}  // namespace sumquill
