#include "console/console_key_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.h"
#include "support/dialogue.h"

namespace sumquill {
namespace {

using namespace console_keys;

constexpr std::uint32_t kLeftCtrlPressed = 0x0008;
constexpr std::uint32_t kNumLockOn = 0x0020;
// "AB", Alt + 0164 (the currency sign 0xA4 of Windows-1252, octal 244), "C".
constexpr std::string_view kTypedWithCurrency = "AB\244C";

/// A key as the console names it: its virtual-key code and scan code, and whether it belongs to
/// the separate cursor block.
struct Key {
  std::uint16_t virtualKey;
  std::uint16_t scanCode;
  bool enhanced = false;
};

constexpr Key kLeftAlt{kMenu, 0x38};
constexpr Key kBackspaceKey{0x08, 0x0E};
// The cursor block.
constexpr Key kUp{0x26, 0x48, true};
constexpr Key kHome{0x24, 0x47, true};
constexpr Key kDeleteKey{0x2E, 0x53, true};
constexpr Key kLeft{0x25, 0x4B, true};
constexpr Key kF1{0x70, 0x3B};
// The keypad's digits with Num Lock off: 0 is Insert, 1 End, 4 Left, 6 Right.
constexpr Key kPadInsert{0x2D, 0x52};
constexpr Key kPadEnd{0x23, 0x4F};
constexpr Key kPadLeft{0x25, 0x4B};
constexpr Key kPadRight{0x27, 0x4D};

ConsoleKeyRecord record(bool down, Key key, char character, std::uint32_t state) {
  if (key.enhanced) state |= kEnhancedKey;
  return {down, 1, key.virtualKey, key.scanCode, character, state};
}

/// A key pressed and released, as the console reports it.
std::vector<ConsoleKeyRecord> stroke(Key key, char character = 0, std::uint32_t state = 0) {
  return {record(true, key, character, state), record(false, key, character, state)};
}

/// Letters and digits typed on the main block.
std::vector<ConsoleKeyRecord> typed(std::string_view text) {
  std::vector<ConsoleKeyRecord> records;
  for (const char c : text) {
    const Key key{static_cast<std::uint16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c), 0x1E};
    for (const auto& r : stroke(key, c)) records.push_back(r);
  }
  return records;
}

/// Alt held while `digits` are typed on the keypad; the release of Alt carries `character`.
/// `numLock` picks how the console names the digits.
std::vector<ConsoleKeyRecord> altNumpad(std::string_view digits, char character, bool numLock) {
  constexpr std::uint16_t kScans[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
  constexpr std::uint16_t kCursorCodes[] = {0x2D, 0x23, 0x28, 0x22, 0x25,
                                            0x0C, 0x27, 0x24, 0x26, 0x21};
  const std::uint32_t state = kLeftAltPressed | (numLock ? kNumLockOn : 0);
  std::vector<ConsoleKeyRecord> records{record(true, kLeftAlt, 0, state)};
  for (const char digit : digits) {
    const int d = digit - '0';
    const Key key{numLock ? static_cast<std::uint16_t>(kNumpad0 + d) : kCursorCodes[d], kScans[d]};
    for (const auto& r : stroke(key, 0, state)) records.push_back(r);
  }
  records.push_back(record(false, kLeftAlt, character, numLock ? kNumLockOn : 0));
  return records;
}

std::vector<ConsoleKeyRecord> joined(std::initializer_list<std::vector<ConsoleKeyRecord>> parts) {
  std::vector<ConsoleKeyRecord> records;
  for (const auto& part : parts) records.insert(records.end(), part.begin(), part.end());
  return records;
}

std::vector<std::string> keysFrom(const std::vector<ConsoleKeyRecord>& records) {
  std::vector<std::string> keys;
  for (const auto& r : records) appendKeyTexts(r, keys);
  return keys;
}

TEST(ConsoleKeyRecords, GiveTheKeyTextsOfWhatWasTyped) {
  ConsoleKeyRecord repeated = typed("x")[0];
  repeated.repeatCount = 3;
  struct Case {
    std::string_view name;
    std::vector<ConsoleKeyRecord> records;
    std::string_view keys;  // a key script as ScriptedTerminal::type reads it
  } const cases[] = {
      {"characters, a held key repeated", joined({typed("ab"), {repeated}}), "abxxx"},
      {"keys without a character",
       joined({stroke(kUp), stroke(kHome), stroke(kDeleteKey), stroke(kF1)}),
       "<up><home><del><f1>"},
      {"modifiers alone",
       joined({stroke(kLeftAlt), stroke({kControl, 0x1D}), stroke({kCapsLock, 0x3A})}), ""},
      {"Esc without its character", stroke({kEscape, 0x01}), "<esc>"},
      // The keypad without Alt is a cursor block still.
      {"keypad with Num Lock off", joined({stroke(kPadLeft), stroke(kPadEnd)}), "<left><end>"},
      {"Alt + keypad, Num Lock off",
       joined({typed("AB"), altNumpad("0164", '\xA4', false), typed("C")}), kTypedWithCurrency},
      {"Alt + keypad, Num Lock on",
       joined({typed("AB"), altNumpad("0164", '\xA4', true), typed("C")}), kTypedWithCurrency},
      {"Alt + keypad to a code that has no character", altNumpad("0", 0, false), ""},
      // Held with Alt, a key of the cursor block and a character stay what they are.
      {"Alt + cursor block", stroke(kLeft, 0, kLeftAltPressed), "<left>"},
      {"AltGr + a character key", stroke({0x51, 0x10}, '@', kRightAltPressed | kLeftCtrlPressed),
       "@"},
      {"Alt + a keypad digit that reports a character",
       stroke({kNumpad0 + 5, 0x4C}, '5', kLeftAltPressed | kNumLockOn), ""},
      {"Backspace, Ctrl+Backspace",
       joined({stroke(kBackspaceKey, '\b'), stroke(kBackspaceKey, '\x7f', kLeftCtrlPressed)}),
       "<bs><bs>"},
      {"Alt + keypad 127", altNumpad("127", '\x7f', false), "<bs>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(keysFrom(c.records), keysOf(c.keys));
  }
}

TEST(ConsoleKeyRecords, AnswersAtAPromptAreWhatWasTyped) {
  struct Case {
    std::string_view name;
    std::vector<ConsoleKeyRecord> records;
    std::string_view answer;
    std::string_view echo;
  } const cases[] = {
      {"Alt + 0164 between two letters",
       joined({typed("AB"), altNumpad("0164", '\xA4', false), typed("C")}), kTypedWithCurrency,
       kTypedWithCurrency},
      {"Ctrl+Backspace after a letter",
       joined({typed("Ex"), stroke(kBackspaceKey, '\x7f', kLeftCtrlPressed)}), "E", "Ex\b \b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::Dialogue dialogue;
    auto& [terminal, files, console] = dialogue;
    for (auto& key : keysFrom(c.records)) terminal.typeKey(std::move(key));
    terminal.type("<enter>");
    EXPECT_EQ(console.linePromptText("Q"), c.answer);
    EXPECT_EQ(terminal.output(), "Q? " + std::string(c.echo) + "\r\n");
  }
}

}  // namespace
}  // namespace sumquill
