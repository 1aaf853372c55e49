#include "console/stream_input.h"

#include <algorithm>
#include <array>

#include "console/answers.h"

namespace sumquill {

namespace {

constexpr char kReturn = '\r';
constexpr char kLineFeed = '\n';

bool isLineEnd(char byte) { return byte == kReturn || byte == kLineFeed; }
bool isBackspace(char byte) { return byte == 8 || byte == 127; }

/// A typed line as the keyboard would have made it, in bounded memory. Only what an answer can
/// use is kept: the blanks in front of it (up to an answer's length: more change nothing) and,
/// from its first other character, an answer's length and its opening quote. Characters beyond
/// are counted, not kept, so that Backspace takes them back before it reaches the kept ones.
/// Backspace takes back a whole character, as the line editor does at a console.
class TypedLine {
 public:
  explicit TypedLine(const CharacterSet& characters) : characters_(characters) {}

  void take(char byte) {
    if (isBackspace(byte)) {
      eraseLast();
    } else if (static_cast<unsigned char>(byte) >= 32) {
      append(byte);
    }
    // Any other control character is one no key inserts into an answer, so a script cannot
    // either: a tab, a NUL or an escape sequence would reach the formulas and the screen.
  }
  const std::string& text() const { return text_; }

 private:
  static constexpr std::size_t kKeptAfterBlanks = kMaxTextAnswer + 1;  // and the quote

  void append(char byte) {
    const bool blanksOnly = leadingBlanks_ == text_.size();
    if (blanksOnly && byte == ' ') {
      if (text_.size() < kMaxTextAnswer) {
        text_.push_back(byte);
        ++leadingBlanks_;
      } else {
        ++uncountedBlanks_;
      }
    } else if (skipped_ == 0 && text_.size() - leadingBlanks_ < kKeptAfterBlanks) {
      text_.push_back(byte);
    } else {
      skip(static_cast<unsigned char>(byte));
    }
  }
  /// Counts a byte beyond those kept: one more character, or the next byte of the last one.
  void skip(unsigned char byte) {
    if (owedBytes_ > 0 && characters_.continues(byte)) {
      --owedBytes_;
      return;
    }
    ++skipped_;
    owedBytes_ = characters_.expectedLength(byte) - 1;
  }
  void eraseLast() {
    if (skipped_ > 0) {
      --skipped_;
      owedBytes_ = 0;
    } else if (text_.size() > leadingBlanks_) {
      text_.resize(std::max(leadingBlanks_, characters_.lastStart(text_)));
    } else if (uncountedBlanks_ > 0) {
      --uncountedBlanks_;
    } else if (!text_.empty()) {
      text_.pop_back();
      --leadingBlanks_;
    }
  }

  const CharacterSet& characters_;
  std::string text_;
  std::size_t leadingBlanks_ = 0;
  std::size_t uncountedBlanks_ = 0;  ///< Leading blanks beyond those kept.
  std::size_t skipped_ = 0;          ///< Characters beyond those kept, after the blanks.
  std::size_t owedBytes_ = 0;        ///< Bytes still to come of the last character skipped.
};

}  // namespace

bool StreamInput::fill() {
  if (ended_) return false;
  if (position_ == buffer_.size()) {
    buffer_.clear();
    position_ = 0;
  }
  std::array<char, 4096> chunk;
  const std::ptrdiff_t count = read_(chunk.data(), chunk.size());
  if (count <= 0) {
    ended_ = true;
    return false;
  }
  buffer_.append(chunk.data(), static_cast<std::size_t>(count));
  return true;
}

bool StreamInput::nextByte(char& byte, bool mayRead) {
  while (position_ == buffer_.size()) {
    if (!mayRead || !fill()) return false;
  }
  byte = buffer_[position_++];
  return true;
}

// A key's line end may still be on its way when the key is taken; it is dropped when it
// comes, before anything else is read.
void StreamInput::dropOwedLineEnd(bool mayRead) {
  while (owed_ != Owed::nothing) {
    if (position_ == buffer_.size() && (!mayRead || !fill())) return;
    const char byte = buffer_[position_];
    if (byte == kLineFeed) {
      ++position_;
      owed_ = Owed::nothing;
    } else if (byte == kReturn && owed_ == Owed::lineEnd) {
      ++position_;
      owed_ = Owed::lineFeedAfterReturn;
    } else {
      owed_ = Owed::nothing;
    }
  }
}

bool StreamInput::hasKey() {
  dropOwedLineEnd(false);
  while (position_ < buffer_.size() && isLineEnd(buffer_[position_])) ++position_;
  return position_ < buffer_.size();
}

std::string StreamInput::takeKey() {
  if (!hasKey()) return {};
  std::string key(1, buffer_[position_++]);
  owed_ = Owed::lineEnd;
  dropOwedLineEnd(false);
  return key;
}

void StreamInput::handOverKey(std::vector<std::string>& keys,
                              const std::function<bool()>& bytesWaiting) {
  if (!hasKey() && !ended_ && bytesWaiting()) fill();
  if (hasKey()) keys.push_back(takeKey());
}

bool StreamInput::awaitInput() { return hasKey() || (!ended_ && fill()); }

bool StreamInput::readLine(std::string& line) {
  dropOwedLineEnd(true);
  TypedLine typed(characters_);
  bool anyByte = false;
  char byte = 0;
  while (nextByte(byte, true)) {
    anyByte = true;
    if (byte == kLineFeed) break;
    if (byte == kReturn) {
      // A lone carriage return ends the line as well; a line feed right behind it belongs to it.
      owed_ = Owed::lineFeedAfterReturn;
      break;
    }
    typed.take(byte);
  }
  line = typed.text();
  return anyByte;
}

}  // namespace sumquill
