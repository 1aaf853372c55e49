// The dialogue's few operations: writing text and integers, single keys, typed answers, the end.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "console/key_queue.h"
#include "console/line_editor.h"
#include "console/printed_integer.h"
#include "console/terminal.h"

namespace sumquill {

/// Exit statuses of the process.
inline constexpr int kExitSuccess = 0;
/// A report could not be written, or the input ended before the dialogue was finished.
inline constexpr int kExitFailure = 1;

/// Thrown by `endProgram` and caught only by the run flow's outermost frame: unwinding instead of
/// exit() lets every guard restore what it changed and lets tests watch a run end.
struct ProgramEnded {
  int status;
};

/// What follows an integer written by `printInteger`.
enum class IntegerEnding { lineEnd, nextZone };

/// What a menu key's action asks of the menu loop afterwards.
enum class MenuAction {
  leave,        ///< The menu is done; the screen goes on after it.
  stay,         ///< Keep waiting for a key; the option lines are not shown again.
  showOptions,  ///< Keep waiting, and show the option lines again first.
};

/// One key of a `KeyMenu` with what it does. An action that ends the program calls `endProgram`.
struct MenuKey {
  std::string_view key;
  std::function<MenuAction()> action;
};

class Console {
 public:
  static constexpr std::string_view kLineEnd = "\r\n";

  /// `beforeEnd` runs when the program ends through `endProgram`, before it unwinds: the run
  /// closes its files there, so that what was written is on disk whichever screen ended it.
  explicit Console(Terminal& terminal, std::function<void()> beforeEnd = {});

  void printText(std::string_view text);
  void printLine(std::string_view text);
  void printBlankLine();
  void printInteger(std::int32_t value, IntegerEnding ending);
  /// Pads with blanks to the next 14-column print zone, or ends the line when none fits.
  void advanceToZone();

  /// The oldest key typed and not yet read, or the empty text; never waits.
  std::string readKey();
  /// Waits for any key and returns it.
  std::string anyKeyWait();
  /// Shows the option lines ("" is a blank line) once, then acts on the listed keys and
  /// swallows every other key. Returns the key whose action left the menu.
  std::string keyMenu(std::initializer_list<std::string_view> optionLines,
                      std::initializer_list<MenuKey> keys);

  /// Shows the prompt and "? ", reads one typed line, and takes the text answer from it.
  std::string linePromptText(std::string_view prompt);
  /// The same with the integer answer.
  std::int32_t linePromptInteger(std::string_view prompt);

  /// One line of a diagnostic, to standard error.
  void printError(std::string_view line) { terminal_.writeError(line); }

  /// Runs `beforeEnd` and ends the run. Does not return.
  [[noreturn]] void endProgram(int status = kExitSuccess);

  /// Width and column counter as this console sees them; for tests.
  int width();
  int column() const { return column_; }

 private:
  void write(std::string_view text);
  void setUpOutput();
  /// Blocks until a key can be read; ends the program when the input is gone. With
  /// `untilScreenChange`, also returns, false, when the screen changed (see `screenChange_`).
  bool waitForKey(bool untilScreenChange = false);
  /// Takes what happened to the screen into `screenChange_`; true when anything did. A new
  /// width is read at once.
  bool takeScreenChange();
  /// Fills the queue from the keys already handed over, or, when none are left, from the
  /// terminal. False when no key came.
  bool takeArrivedKeys();
  /// Ends the program when a signal asked for it, after the current line is ended.
  void endBySignal();
  /// Ends the current line where one is begun: a typed answer is finished first, so that what
  /// comes next (the shell's prompt) starts on a row of its own.
  void endLine();
  /// Ends the program, status 1, when the input is gone before the dialogue is finished.
  [[noreturn]] void endByEndOfInput();
  std::string readTypedLine(std::string_view prompt);
  /// Reads a typed answer at a console. `prompt` is what it follows, shown again when the
  /// screen changed under it.
  std::string editLine(std::string_view prompt);

  Terminal& terminal_;
  std::function<void()> beforeEnd_;
  KeyQueue queue_;
  /// Keys the terminal handed over beyond the queue's room, oldest first: they move into the
  /// queue as it empties, so a long paste is never pushed out of it.
  std::deque<std::string> arrived_;
  bool outputReady_ = false;
  int width_ = 80;
  int column_ = 0;
  /// The answer being typed, while there is one.
  LineEditor* editing_ = nullptr;
  Terminal::ScreenChange screenChange_;
};

}  // namespace sumquill
