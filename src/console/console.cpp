#include "console/console.h"

#include <algorithm>
#include <cstdlib>

#include "console/answers.h"
#include "files/file_table.h"

namespace sumquill {

namespace {

constexpr int kZoneWidth = 14;
constexpr char kBackspace = 8;
constexpr char kExtended = '\xFF';

bool isLineEnd(std::string_view key) { return key == "\r" || key == "\n"; }

// A typed answer and its echo on the screen. The answer starts at a known column of a console W
// columns wide, so character i stands (start + i) / W rows below the answer's first row, in
// column (start + i) % W.
//
// After a change everything right of the cursor is written again, and the cursor is brought
// back. Within one row that is done with backspaces, the one motion every console understands,
// so an answer that fits on its row is echoed exactly as a plain console would. A backspace
// cannot climb to the row above, so a move to another row goes through `Terminal::moveCursor`.
//
// The right margin: a POSIX terminal that has written the last column keeps its cursor there
// until the next character arrives (a pending wrap), while the Windows console moves it to the
// next row at once. Writing on is the same on both, but a backspace or a move from there would
// start from different places. So before the cursor is moved after a write that ended exactly at
// the margin, the character that belongs in the next row's first column (the answer's own, or a
// blank past its end, which covers nothing of the program's) is written there and backed over:
// both consoles then stand in that first column, and the row and column of the cursor follow
// from its index into the answer again. Typing on at the end needs none of this, so a typed or
// pasted answer is echoed as it is.
//
// An answer taller than the screen: the rows that scrolled off the top are gone, and no cursor
// move reaches them. Before the cursor goes to such a row, what the screen shows is moved down
// (`Terminal::scrollDown`) and the answer's rows from that one on are written into the rows that
// came free; in place of the prompt, which went with its row, stand blanks. What passes the
// bottom is gone from the screen, so the editor keeps where the drawn part of the answer ends:
// the screen is blank after it, and a row of the answer that the cursor comes to is written whole
// first. Every write to the end of the answer draws the rest.
class LineEditor {
 public:
  LineEditor(Terminal& terminal, int width, int startColumn)
      : terminal_(terminal),
        width_(static_cast<std::size_t>(width)),
        start_(static_cast<std::size_t>(startColumn)) {}

  const std::string& line() const { return line_; }

  void insert(char character) {
    line_.insert(cursor_, 1, character);
    const std::size_t after = cursor_ + 1;
    writeUpTo(line_.size());
    moveBackTo(after);
  }
  void backspace() {
    if (cursor_ == 0) return;
    moveBackTo(cursor_ - 1);
    erase();
  }
  /// The Delete key: the character at the cursor goes, the rest moves left over it.
  void erase() {
    if (cursor_ == line_.size()) return;
    line_.erase(cursor_, 1);
    const std::size_t at = cursor_;
    writeUpTo(line_.size() + 1);  // a blank over the last column the answer had
    moveBackTo(at);
  }
  void left() {
    if (cursor_ > 0) moveBackTo(cursor_ - 1);
  }
  void right() {
    if (cursor_ < line_.size()) writeUpTo(cursor_ + 1);
  }
  void home() { moveBackTo(0); }
  void end() { writeUpTo(line_.size()); }

  /// Brings the cursor to the answer's last row, where the line end that follows belongs, and
  /// returns its column. Within that row it stays where it is, as a plain console's would. A
  /// cursor waiting at the margin after the answer is taken to the last column instead, so that
  /// the line end leaves no empty row on either console, as with a pending wrap.
  int finish() {
    if (!line_.empty() && row(cursor_) < row(line_.size() - 1)) end();
    if (pendingWrap_) {
      settle();
      terminal_.moveCursor(1, static_cast<int>(width_ - 1));
      return static_cast<int>(width_ - 1);
    }
    return static_cast<int>(column(cursor_));
  }

 private:
  std::size_t row(std::size_t index) const { return (start_ + index) / width_; }
  std::size_t column(std::size_t index) const { return (start_ + index) % width_; }
  char shownAt(std::size_t index) const { return index < line_.size() ? line_[index] : ' '; }

  /// Index of the first character of row `r` of the answer.
  std::size_t rowStart(std::size_t r) const { return r == 0 ? 0 : r * width_ - start_; }

  /// Writes what the screen shows from the cursor up to index `end`, and the rest of the row the
  /// cursor comes to where it has not been drawn.
  void writeUpTo(std::size_t end) {
    if (end <= cursor_) return;
    const std::size_t rowEnd = std::min(line_.size(), rowStart(row(end) + 1));
    const std::size_t upTo = drawnEnd_ < rowEnd ? std::max(end, rowEnd) : end;
    std::string text;
    for (std::size_t i = cursor_; i < upTo; ++i) text.push_back(shownAt(i));
    terminal_.write(text);
    cursor_ = upTo;
    pendingWrap_ = column(upTo) == 0;
    drawnEnd_ = upTo >= line_.size() ? kAllDrawn : std::max(drawnEnd_, upTo);
    moveBackTo(end);
  }

  /// Takes the cursor from a pending wrap at the margin to the next row's first column, writing
  /// there what the screen shows already.
  void settle() {
    if (!pendingWrap_) return;
    terminal_.write(std::string{cursor_ < drawnEnd_ ? shownAt(cursor_) : ' ', kBackspace});
    pendingWrap_ = false;
  }

  void moveBackTo(std::size_t index) {
    if (index >= cursor_) return;
    settle();
    if (row(index) == row(cursor_)) {
      terminal_.write(std::string(cursor_ - index, kBackspace));
    } else {
      const Terminal::CursorRoom room = terminal_.cursorRoom();
      if (row(cursor_) - row(index) > static_cast<std::size_t>(std::max(room.above, 0))) {
        bringBack(row(index), room);
      }
      terminal_.moveCursor(static_cast<int>(row(cursor_) - row(index)),
                           static_cast<int>(column(index)));
    }
    cursor_ = index;
  }

  /// Shows row `target` of the answer, which is above the screen's first row, in the first row,
  /// and the rows after it below, down to the rows that were there already. Leaves the cursor in
  /// the first column of the row after those written.
  void bringBack(std::size_t target, Terminal::CursorRoom room) {
    const std::size_t above = static_cast<std::size_t>(std::max(room.above, 0));
    const std::size_t height = above + static_cast<std::size_t>(std::max(room.below, 0)) + 1;
    if (height < 2) return;                        // no row to write into but the cursor's own
    const std::size_t top = row(cursor_) - above;  // the answer's row in the screen's first row
    const std::size_t missing = top - target;
    // A write into the bottom row's last column would scroll the screen on a console that wraps
    // at once, so at most all rows but the last are written.
    const std::size_t written = std::min(missing, height - 1);
    terminal_.scrollDown(static_cast<int>(std::min(missing, height)));
    std::string text(target == 0 ? start_ : 0, ' ');
    for (std::size_t i = rowStart(target); i < rowStart(target + written); ++i) {
      text.push_back(shownAt(i));
    }
    terminal_.write(text);
    // Below the rows written stays what the screen showed, but for what passed the bottom.
    const std::size_t kept = missing < height ? height - missing : 0;
    drawnEnd_ = std::min(drawnEnd_, rowStart(target + written + kept));
    cursor_ = rowStart(target + written);
    pendingWrap_ = true;
    settle();
  }

  Terminal& terminal_;
  std::size_t width_;
  std::size_t start_;
  std::string line_;
  /// The index into the answer that the cursor stands at, on the screen as in the answer.
  std::size_t cursor_ = 0;
  /// The last write ended exactly at the margin, where the consoles differ (see above).
  bool pendingWrap_ = false;
  /// The answer is drawn on the screen up to this index; the screen is blank after it.
  static constexpr std::size_t kAllDrawn = std::string::npos;
  std::size_t drawnEnd_ = kAllDrawn;
};

}  // namespace

std::string printedInteger(std::int32_t value) {
  // Through 64 bits, so that the most negative value has a magnitude to print.
  const std::int64_t wide = value;
  return (wide < 0 ? "-" : " ") + std::to_string(wide < 0 ? -wide : wide);
}

Console::Console(Terminal& terminal, FileTable& files) : terminal_(terminal), files_(files) {}

void Console::setUpOutput() {
  if (outputReady_) return;
  outputReady_ = true;
  width_ = terminal_.width();
  if (width_ <= 0) width_ = 80;
  column_ = terminal_.startColumn();
  if (column_ < 0) column_ = 0;
  column_ %= width_;
}

int Console::width() {
  setUpOutput();
  return width_;
}

void Console::write(std::string_view text) {
  setUpOutput();
  terminal_.write(text);
  const auto lastEnd = text.find_last_of("\r\n");
  if (lastEnd == std::string_view::npos) {
    column_ = static_cast<int>((column_ + text.size()) % static_cast<std::size_t>(width_));
  } else {
    column_ = static_cast<int>((text.size() - lastEnd - 1) % static_cast<std::size_t>(width_));
  }
}

void Console::printText(std::string_view text) { write(text); }

void Console::printLine(std::string_view text) {
  write(text);
  write(kLineEnd);
}

void Console::printBlankLine() { write(kLineEnd); }

void Console::printInteger(std::int32_t value, IntegerEnding ending) {
  write(printedInteger(value));
  switch (ending) {
    case IntegerEnding::lineEnd:
      write(kLineEnd);
      break;
    case IntegerEnding::nextZone:
      advanceToZone();
      break;
  }
}

void Console::advanceToZone() {
  setUpOutput();
  const int zone = ((column_ + kZoneWidth) / kZoneWidth) * kZoneWidth + 1;
  if (zone > width_ - kZoneWidth) {
    write(kLineEnd);
  } else {
    write(std::string(static_cast<std::size_t>(zone - (column_ + 1)), ' '));
  }
}

bool Console::takeArrivedKeys() {
  if (arrived_.empty()) {
    std::vector<std::string> keys;
    terminal_.takeKeys(keys);
    for (auto& key : keys) arrived_.push_back(std::move(key));
  }
  bool took = false;
  while (!arrived_.empty() && queue_.size() < KeyQueue::kSlots - 1) {
    queue_.push(std::move(arrived_.front()));
    arrived_.pop_front();
    took = true;
  }
  return took;
}

std::string Console::readKey() {
  // Keys are taken from the terminal only when none waits here: what has not been read yet stays
  // in the terminal's own buffer, or in `arrived_`. Input that is not a console comes one key at
  // a time, so the lines behind a menu key stay in it for the prompts.
  if (queue_.empty()) takeArrivedKeys();
  return queue_.pop();
}

void Console::waitForKey() {
  while (queue_.empty()) {
    if (takeArrivedKeys()) break;
    switch (terminal_.waitForInput()) {
      case InputWait::ready:
        break;
      case InputWait::signalled:
        endBySignal();
        break;
      case InputWait::ended:
        if (takeArrivedKeys()) break;
        endByEndOfInput();
    }
  }
}

std::string Console::anyKeyWait() {
  std::string key;
  while (key.empty()) {
    // Input that never stops (a menu fed from /dev/zero) never lets the wait below run: a
    // request to end is looked at for every key.
    endBySignal();
    waitForKey();
    key = readKey();
  }
  return key;
}

std::string Console::keyMenu(std::initializer_list<std::string_view> optionLines,
                             std::initializer_list<MenuKey> keys) {
  bool shown = false;
  for (;;) {
    if (!shown) {
      for (const auto line : optionLines) printLine(line);
      shown = true;
    }
    const std::string key = anyKeyWait();
    for (const auto& entry : keys) {
      if (key != entry.key) continue;
      switch (entry.action()) {
        case MenuAction::leave:
          return key;
        case MenuAction::stay:
          break;
        case MenuAction::showOptions:
          shown = false;
          break;
      }
      break;
    }
  }
}

std::string Console::editLine() {
  setUpOutput();
  LineEditor editor(terminal_, width_, column_);
  for (;;) {
    const std::string key = anyKeyWait();
    if (isLineEnd(key)) {
      column_ = editor.finish();
      return editor.line();
    }
    if (key.size() == 1 && key[0] == kBackspace) {
      editor.backspace();
    } else if (key.size() == 1 && static_cast<unsigned char>(key[0]) >= 32) {
      editor.insert(key[0]);
    } else if (key.size() == 2 && key[0] == kExtended) {
      switch (key[1]) {
        case 'K':  // Left
          editor.left();
          break;
        case 'M':  // Right
          editor.right();
          break;
        case 'G':  // Home
          editor.home();
          break;
        case 'O':  // End
          editor.end();
          break;
        case 'S':  // Delete
          editor.erase();
          break;
        default:
          break;
      }
    }
  }
}

std::string Console::readTypedLine() {
  if (terminal_.interactive()) return editLine();
  std::string line;
  const bool typed = terminal_.readLine(line);
  endBySignal();
  if (!typed) {
    // Nothing of an answer came: a run that went on would write reports of answers nobody gave.
    printBlankLine();
    endByEndOfInput();
  }
  // Show what was read, so a piped run prints what a console would have echoed.
  write(line);
  return line;
}

std::string Console::linePromptText(std::string_view prompt) {
  printText(prompt);
  printText("? ");
  const std::string line = readTypedLine();
  printBlankLine();
  return textAnswer(line);
}

std::int32_t Console::linePromptInteger(std::string_view prompt) {
  printText(prompt);
  printText("? ");
  const std::string line = readTypedLine();
  printBlankLine();
  return integerAnswer(line);
}

void Console::endByEndOfInput() {
  terminal_.writeError("sumquill: the input ended before the dialogue was finished");
  endProgram(kExitFailure);
}

void Console::endBySignal() {
  // The shell's convention for a process ended by a signal: 128 plus its number.
  if (const int signal = terminal_.endingSignal(); signal != 0) endProgram(128 + signal);
}

void Console::endProgram(int status) {
  files_.closeAllFiles();
  throw ProgramEnded{status};
}

}  // namespace sumquill
