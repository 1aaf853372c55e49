// A typed answer at a console and its echo on the screen. The answer starts at a known column of a
// console W columns wide, so character i stands (start + i) / W rows below the answer's first row,
// in column (start + i) % W.
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
#pragma once

#include <cstddef>
#include <string>

#include "console/terminal.h"

namespace sumquill {

class LineEditor {
 public:
  /// An answer that starts at `startColumn` of a console `width` columns wide.
  LineEditor(Terminal& terminal, int width, int startColumn)
      : terminal_(terminal),
        width_(static_cast<std::size_t>(width)),
        start_(static_cast<std::size_t>(startColumn)) {}

  const std::string& line() const { return line_; }

  /// Puts a character in at the cursor.
  void insert(char character);
  /// Takes back the character before the cursor; nothing at the start.
  void backspace();
  /// The Delete key: the character at the cursor goes, the rest moves left over it.
  void erase();
  void left();
  void right();
  void home();
  void end();

  /// Brings the cursor to the answer's last row, where the line end that follows belongs, and
  /// returns its column. Within that row it stays where it is, as a plain console's would. A
  /// cursor waiting at the margin after the answer is taken to the last column instead, so that
  /// the line end leaves no empty row on either console, as with a pending wrap.
  int finish();

 private:
  std::size_t row(std::size_t index) const { return (start_ + index) / width_; }
  std::size_t column(std::size_t index) const { return (start_ + index) % width_; }
  char shownAt(std::size_t index) const { return index < line_.size() ? line_[index] : ' '; }
  /// Index of the first character of row `r` of the answer.
  std::size_t rowStart(std::size_t r) const { return r == 0 ? 0 : r * width_ - start_; }

  /// Writes what the screen shows from the cursor up to index `end`, and the rest of the row the
  /// cursor comes to where it has not been drawn.
  void writeUpTo(std::size_t end);
  /// Takes the cursor from a pending wrap at the margin to the next row's first column, writing
  /// there what the screen shows already.
  void settle();
  void moveBackTo(std::size_t index);
  /// Shows row `target` of the answer, which is above the screen's first row, in the first row,
  /// and the rows after it below, down to the rows that were there already. Leaves the cursor in
  /// the first column of the row after those written.
  void bringBack(std::size_t target, Terminal::CursorRoom room);

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

}  // namespace sumquill
