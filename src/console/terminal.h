// The one seam between the dialogue and whatever stands in for a console: a real terminal
// (one source file per operating system), or a scripted one in tests. No OS type appears here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/characters.h"

namespace sumquill {

/// What a wait for input came back with.
enum class InputWait {
  ready,      ///< Input may be there: take it.
  ended,      ///< The input is gone for good (end of a pipe, a closed terminal).
  signalled,  ///< A request to end the program arrived; `endingSignal` names it.
};

/// Keys are texts of one character, or of two for a key without a character: the character
/// 255 followed by the key's PC BIOS extended code ("\xFFH" is Up).
class Terminal {
 public:
  virtual ~Terminal() = default;

  /// Writes the bytes exactly as given to standard output.
  virtual void write(std::string_view bytes) = 0;
  /// Writes one line of a diagnostic to standard error (the line end is added here).
  virtual void writeError(std::string_view line) = 0;
  /// Width of the output in columns; 80 when the output is not a console.
  virtual int width() = 0;
  /// Column of the cursor before the program's first write.
  virtual int startColumn() = 0;
  /// Moves the cursor `rowsUp` rows up (0: the same row) and to `column` (0 is the first), for
  /// the line editing of a typed answer that wraps: a backspace cannot climb to the row above.
  /// The cursor must not be waiting at the right margin (see `Console::editLine`). Nothing to
  /// do where there is no screen.
  virtual void moveCursor(int /*rowsUp*/, int /*column*/) {}
  /// Rows of the screen around the cursor's row. A screen keeps only so many: a row that
  /// scrolled off its top is gone, and `moveCursor` stops at the first row.
  struct CursorRoom {
    int above;  ///< rows above the cursor's row
    int below;  ///< rows below it
  };
  /// More rows than any answer has: the room where a terminal cannot tell.
  static constexpr int kUnlimitedRows = 1 << 20;
  /// The rows around the cursor's row that `moveCursor` and `scrollDown` can reach.
  virtual CursorRoom cursorRoom() { return {kUnlimitedRows, kUnlimitedRows}; }
  /// Moves all that the screen shows down by `rows` rows (those that pass the bottom are gone),
  /// blanks the rows that come free at the top and puts the cursor in the first column of the
  /// first row, so an answer taller than the screen can show its first rows again. Asked for
  /// only where `cursorRoom` sets a limit.
  virtual void scrollDown(int /*rows*/) {}

  /// What happened to the screen since the last call.
  struct ScreenChange {
    bool resized = false;  ///< The width may be another now.
    bool resumed = false;  ///< The program was stopped and is back; the shell wrote meanwhile.
    bool any() const { return resized || resumed; }
  };
  virtual ScreenChange takeScreenChange() { return {}; }

  /// How typed bytes form characters: UTF-8 on POSIX, the console's code page on Windows.
  virtual CharacterSet characterSet() { return CharacterSet::utf8(); }

  /// True when input is typed at a console; false for a pipe or a file, where typed answers are
  /// whole lines of input instead of edited keys.
  virtual bool interactive() = 0;
  /// Appends to `keys`, oldest first, the keys that have arrived since the last call. Never blocks.
  /// Without a console it hands over at most one key per call, so the lines behind it stay
  /// for `readLine`.
  virtual void takeKeys(std::vector<std::string>& keys) = 0;
  /// Blocks, without using the processor, until input arrives or can no longer arrive.
  virtual InputWait waitForInput() = 0;
  /// Without a console: the next line of input without its line end. False when the input had
  /// ended before any byte of it; `line` then holds what was read, possibly nothing.
  virtual bool readLine(std::string& line) = 0;

  /// Gives the console back in the modes it had before the program started, for a command that
  /// may ask the user something (a copy asks before it overwrites); `reclaimFromCommand` takes it
  /// back afterwards. Nothing to do where no command reads the console.
  virtual void lendToCommand() {}
  virtual void reclaimFromCommand() {}

  /// The number of the signal (terminate, hang-up) that asked the program to end while it
  /// waited for input, or 0. Such a signal is answered at the wait, where files can be closed.
  virtual int endingSignal() const { return 0; }
};

/// The terminal of this process: the console or terminal when there is one, otherwise plain
/// standard input and output. Sets the input mode on creation and gives it back on destruction.
std::unique_ptr<Terminal> makeProcessTerminal();

}  // namespace sumquill
