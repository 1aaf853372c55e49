#include "console/stream_input.h"

#include <array>

namespace sumquill {

namespace {

constexpr char kReturn = '\r';
constexpr char kLineFeed = '\n';

bool isLineEnd(char byte) { return byte == kReturn || byte == kLineFeed; }
bool isBackspace(char byte) { return byte == 8 || byte == 127; }

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

bool StreamInput::readLine(std::string& line) {
  line.clear();
  dropOwedLineEnd(true);
  bool anyByte = false;
  char byte = 0;
  while (nextByte(byte, true)) {
    anyByte = true;
    if (byte == kLineFeed) {
      if (!line.empty() && line.back() == kReturn) line.pop_back();
      return true;
    }
    if (isBackspace(byte)) {
      if (!line.empty()) line.pop_back();
    } else {
      line.push_back(byte);
    }
  }
  // A script whose last line ends with a lone carriage return still ends that line.
  if (!line.empty() && line.back() == kReturn) line.pop_back();
  return anyByte;
}

}  // namespace sumquill
