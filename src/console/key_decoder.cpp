#include "console/key_decoder.h"

#include <array>

#include "console/keys.h"

namespace sumquill {

namespace {

using keys::extended;
using keys::kEscape;
// Longer parameter runs come from no key; the rest of such a sequence is still swallowed.
constexpr std::size_t kMaxParameters = 16;

bool isParameter(char byte) { return byte >= 0x20 && byte <= 0x3F; }
bool isFinal(char byte) { return byte >= 0x40 && byte <= 0x7E; }

/// The key of a final letter shared by CSI and SS3 ("A" is Up), or 0.
char cursorKey(char final) {
  switch (final) {
    case 'A':
      return keys::kUp;
    case 'B':
      return keys::kDown;
    case 'C':
      return keys::kRight;
    case 'D':
      return keys::kLeft;
    case 'H':
      return keys::kHome;
    case 'F':
      return keys::kEnd;
    default:
      return 0;
  }
}

/// The key of CSI number "~", or 0.
char tildeKey(int number) {
  struct Entry {
    int number;
    char code;
  };
  using namespace keys;
  static constexpr std::array kTable{
      Entry{1, kHome},    Entry{7, kHome},      Entry{4, kEnd},     Entry{8, kEnd},
      Entry{2, kInsert},  Entry{3, kDeleteKey}, Entry{5, kPageUp},  Entry{6, kPageDown},
      Entry{11, kF1},     Entry{12, kF1 + 1},   Entry{13, kF1 + 2}, Entry{14, kF1 + 3},
      Entry{15, kF1 + 4}, Entry{17, kF1 + 5},   Entry{18, kF1 + 6}, Entry{19, kF1 + 7},
      Entry{20, kF1 + 8}, Entry{21, kF1 + 9},
  };
  for (const auto& entry : kTable) {
    if (entry.number == number) return entry.code;
  }
  return 0;
}

/// The parameter text as one plain number, or -1 when it is anything else.
int plainNumber(const std::string& parameters) {
  if (parameters.empty() || parameters.size() > 3) return -1;
  int number = 0;
  for (const char c : parameters) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

void KeyDecoder::ground(char byte, std::vector<std::string>& keys) {
  switch (byte) {
    case kEscape:
      state_ = State::escape;
      break;
    case 0:
      break;  // Ctrl+Space and the like: no key of this program has code 0
    case keys::kDelete:
      keys.emplace_back(1, keys::kBackspace);
      break;
    case keys::kEnter:
    case keys::kLineFeed:
      keys.emplace_back(1, keys::kEnter);
      break;
    default:
      keys.emplace_back(1, byte);
      break;
  }
}

void KeyDecoder::finish(char final, std::vector<std::string>& keys) {
  const bool csi = state_ == State::csi;
  state_ = State::ground;
  char code = 0;
  if (csi && final == '~') {
    code = tildeKey(plainNumber(parameters_));
  } else if (parameters_.empty() || (csi && parameters_ == "1")) {
    code = cursorKey(final);
    if (final >= 'P' && final <= 'S') code = static_cast<char>(keys::kF1 + (final - 'P'));
  }
  if (code != 0) keys.push_back(extended(code));
}

void KeyDecoder::feed(std::string_view bytes, std::vector<std::string>& keys) {
  for (const char byte : bytes) {
    switch (state_) {
      case State::ground:
        ground(byte, keys);
        break;
      case State::escape:
        parameters_.clear();
        if (byte == '[') {
          state_ = State::csi;
        } else if (byte == 'O') {
          state_ = State::ss3;
        } else {
          keys.emplace_back(1, kEscape);
          state_ = State::ground;
          ground(byte, keys);
        }
        break;
      case State::csi:
      case State::ss3:
        if (state_ == State::csi && byte == '[' && parameters_.empty()) {
          state_ = State::linuxFunction;
        } else if (isParameter(byte)) {
          if (parameters_.size() < kMaxParameters) parameters_.push_back(byte);
        } else if (isFinal(byte)) {
          finish(byte, keys);
        } else {
          // Not a sequence after all: drop what came so far, the byte is a key of its own.
          state_ = State::ground;
          ground(byte, keys);
        }
        break;
      case State::linuxFunction:
        state_ = State::ground;
        if (byte >= 'A' && byte <= 'E')
          keys.push_back(extended(static_cast<char>(keys::kF1 + (byte - 'A'))));
        break;
    }
  }
}

void KeyDecoder::flush(std::vector<std::string>& keys) {
  if (state_ == State::escape) keys.emplace_back(1, kEscape);
  state_ = State::ground;
}

}  // namespace sumquill
