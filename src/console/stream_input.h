// Keys and typed lines read from standard input that is not a console: a pipe, a file, CI.
// One byte is one key, so a script can answer menus with "123" or with one key per line; typed
// answers are whole lines. No operating-system type appears here: the backend hands in a read.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "console/characters.h"

namespace sumquill {

class StreamInput {
 public:
  /// Reads up to `size` bytes into `buffer`, blocking until at least one is there. Returns the
  /// count, or 0 (or less) when no more input will come.
  using ReadFunction = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;

  /// `characters` tells how the bytes form characters, for Backspace in a typed line.
  explicit StreamInput(ReadFunction read, CharacterSet characters = CharacterSet::utf8())
      : read_(std::move(read)), characters_(std::move(characters)) {}

  /// One read into the buffer. False once the input has ended.
  bool fill();
  /// True when the buffer holds a key. Line ends in front of it are dropped on the way, so a
  /// buffer of nothing but line ends counts as empty and the next wait really waits.
  bool hasKey();
  /// The next key from the buffer (never reads), or the empty text. A line end right behind the
  /// key belongs to it and goes with it, even when it arrives later.
  std::string takeKey();
  /// The next line, as keys would have typed it: up to a line feed, a carriage return, or both;
  /// Backspace (8 or 127) deletes the character before it; any other byte below 32 is dropped,
  /// as no key inserts it. Only what an answer can use is kept (see TypedLine), so an endless
  /// line costs no memory. Reads as needed. At the end of the input it gives what was read;
  /// false when the input had ended before any byte of the line.
  bool readLine(std::string& line);
  /// How the bytes form characters from the next line on.
  void setCharacterSet(CharacterSet characters) { characters_ = std::move(characters); }
  /// True once a read has reported the end of the input.
  bool ended() const { return ended_; }

  // What both terminal backends do with input that is no console.
  /// Appends the next key to `keys`, if there is one. Reads only when no key is buffered and
  /// `bytesWaiting` says that a read would not wait, so this never blocks; the lines behind the
  /// key stay for `readLine`.
  void handOverKey(std::vector<std::string>& keys, const std::function<bool()>& bytesWaiting);
  /// Blocks until a key or more bytes are there; false once the input has ended.
  bool awaitInput();

 private:
  /// What is still owed to the line end of the last key.
  enum class Owed { nothing, lineEnd, lineFeedAfterReturn };

  bool nextByte(char& byte, bool mayRead);
  void dropOwedLineEnd(bool mayRead);

  ReadFunction read_;
  CharacterSet characters_;
  std::string buffer_;
  std::size_t position_ = 0;
  bool ended_ = false;
  Owed owed_ = Owed::nothing;
};

}  // namespace sumquill
