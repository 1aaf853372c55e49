#include "console/console_key_records.h"

#include <algorithm>

#include "console/keys.h"

namespace sumquill {

namespace {

using namespace console_keys;

bool isModifierKey(std::uint16_t virtualKey) {
  switch (virtualKey) {
    case kShift:
    case kControl:
    case kMenu:
    case kCapsLock:
    case kNumLock:
    case kScrollLock:
    case kLeftWindows:
    case kRightWindows:
      return true;
    default:
      return virtualKey >= kLeftShift && virtualKey <= kRightMenu;
  }
}

// With Num Lock off the keypad's digits report the cursor keys' codes (4 is Left), and only the
// enhanced bit tells the separate cursor block apart.
bool isKeypadDigit(const ConsoleKeyRecord& record) {
  if (record.virtualKey >= kNumpad0 && record.virtualKey <= kNumpad9) return true;
  if ((record.controlState & kEnhancedKey) != 0) return false;
  return record.scanCode >= kKeypad7 && record.scanCode <= kKeypad0 &&
         record.scanCode != kKeypadMinus && record.scanCode != kKeypadPlus;
}

bool isAltKey(std::uint16_t virtualKey) {
  return virtualKey == kMenu || virtualKey == kLeftMenu || virtualKey == kRightMenu;
}

bool altHeld(const ConsoleKeyRecord& record) {
  return (record.controlState & (kLeftAltPressed | kRightAltPressed)) != 0;
}

std::string characterText(char character) {
  return std::string(1, character == keys::kDelete ? keys::kBackspace : character);
}

// The text of one key-down record; empty for a key that gives nothing.
std::string keyDownText(const ConsoleKeyRecord& record) {
  if (altHeld(record) && isKeypadDigit(record)) return {};
  if (record.character != 0) return characterText(record.character);
  // Some consoles deliver Esc without its character.
  if (record.virtualKey == kEscape) return "\x1b";
  if (isModifierKey(record.virtualKey) || record.scanCode == 0) return {};
  return keys::extended(static_cast<char>(record.scanCode & 0xFF));
}

}  // namespace

void appendKeyTexts(const ConsoleKeyRecord& record, std::vector<std::string>& keys) {
  if (!record.keyDown) {
    // The release of Alt carries what an Alt + keypad number entered.
    if (isAltKey(record.virtualKey) && record.character != 0) {
      keys.push_back(characterText(record.character));
    }
    return;
  }
  const std::string text = keyDownText(record);
  if (text.empty()) return;
  for (int repeat = std::max<int>(record.repeatCount, 1); repeat > 0; --repeat) {
    keys.push_back(text);
  }
}

}  // namespace sumquill
