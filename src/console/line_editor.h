// A typed answer at a console and its echo on the screen.
//
// The answer is a row of characters (whole UTF-8 sequences, or double-byte characters, as
// `CharacterSet` cuts the bytes), each taking 0, 1 or 2 columns. It starts at a known column of
// a console W columns wide, and the editor lays it out as the console does: cell by cell, a row
// after every W cells, and a wide character that would start in the last column goes to the next
// row whole, leaving that column blank. Keys that edit (Backspace, Delete, Left, Right, Home,
// End) act on whole characters, so the answer kept is always what the screen shows.
//
// After a change everything right of the cursor is written again, and the cursor is brought
// back. Within one row that is done with backspaces, one per column, the one motion every console
// understands, so an answer that fits on its row is echoed exactly as a plain console would. A
// backspace cannot climb to the row above, so a move to another row goes through
// `Terminal::moveCursor`.
//
// The right margin: a POSIX terminal that has written the last column keeps its cursor there
// until the next character arrives (a pending wrap), while the Windows console moves it to the
// next row at once. Writing on is the same on both, but a backspace or a move from there would
// start from different places. So before the cursor is moved after a write that ended exactly at
// the margin, the character that belongs in the next row's first column (the answer's own, or a
// blank past its end, which covers nothing of the program's) is written there and backed over:
// both consoles then stand in that first column. Typing on at the end needs none of this, so a
// typed or pasted answer is echoed as it is.
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
#include <string_view>
#include <vector>

#include "console/characters.h"
#include "console/terminal.h"

namespace sumquill {

class LineEditor {
 public:
  /// An answer that starts at `startColumn` of a console `width` columns wide.
  LineEditor(Terminal& terminal, const CharacterSet& characters, int width, int startColumn);

  /// The answer's bytes, a character still being typed included.
  std::string line() const { return line_ + partial_; }

  /// One byte of a typed character. A character of several bytes is put in, and echoed, when
  /// its last byte has come.
  void type(char byte);
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

  /// The screen changed under the answer: it is `width` columns wide now (a resize), or the
  /// program is back from a stop and the shell has written its own lines. The prompt and the
  /// answer are shown again on a row of their own, the cursor on the character it was at; on
  /// `freshRow` the cursor already stands at the start of an empty row, otherwise the editor
  /// first goes below what the screen shows of the answer.
  void redraw(std::string_view prompt, int width, bool freshRow);

 private:
  struct Character {
    std::size_t offset;  ///< Where its bytes start in `line_`.
    std::size_t size;
    std::size_t columns;
  };

  std::size_t count() const { return characters_.size(); }
  std::size_t row(std::size_t cell) const { return cell / width_; }
  std::size_t column(std::size_t cell) const { return cell % width_; }
  /// The cell where character `i` starts; past the last one, the cell after the answer.
  std::size_t cellOf(std::size_t i) const { return i < count() ? cells_[i] : endCell_; }
  /// The cell after character `i - 1`: where the console's cursor stands once it has written it.
  std::size_t cellAfter(std::size_t i) const;
  /// The first character on row `r` of the answer, or `count()`.
  std::size_t rowStart(std::size_t r) const;
  /// A character and the marks of no width after it are shown in one cell: the cursor steps
  /// over them as one, and a change among them writes them all again.
  std::size_t clusterStart(std::size_t i) const;
  std::size_t clusterEnd(std::size_t i) const;

  /// Lays out the characters from `i` on.
  void layOutFrom(std::size_t i);
  /// The bytes that show characters `from` to `to` when written from `cell` on, with a blank in
  /// the last column a wide character leaves: an earlier character may stand there. Moves `cell`
  /// to where the writing ends.
  std::string shown(std::size_t from, std::size_t to, std::size_t& cell) const;
  /// Puts the bytes of `partial_` in as characters, each byte of a broken one on its own.
  void settlePartial();
  void insert(std::string_view character);
  /// Takes characters `from` to `to` out and shows the rest.
  void remove(std::size_t from, std::size_t to);
  /// Writes what the screen shows from the cursor up to character `end` (and `blanks` blanks
  /// after the answer), and the rest of the row the cursor comes to where it has not been drawn.
  void writeUpTo(std::size_t end, std::size_t blanks = 0);
  /// Takes the cursor from a pending wrap at the margin to the next row's first column, writing
  /// there what the screen shows already.
  void settle();
  void moveBackTo(std::size_t index);
  /// Shows row `target` of the answer, which is above the screen's first row, in the first row,
  /// and the rows after it below, down to the rows that were there already.
  void bringBack(std::size_t target, Terminal::CursorRoom room);

  Terminal& terminal_;
  CharacterSet set_;
  std::size_t width_;
  std::size_t start_;
  std::string line_;
  /// The first bytes of a character whose last byte has not come yet.
  std::string partial_;
  std::vector<Character> characters_;
  /// The cell of each character: row * width + column, counted from the answer's first row.
  std::vector<std::size_t> cells_;
  std::size_t endCell_;
  /// The character the cursor stands at, in the answer.
  std::size_t cursor_ = 0;
  /// The cell the console's cursor stands at. It differs from the cursor's character's cell
  /// only where a wide character went to the next row and the cursor came by writing.
  std::size_t at_;
  /// The last write ended exactly at the margin, where the consoles differ (see above).
  bool pendingWrap_ = false;
  /// The answer is drawn on the screen up to this character; the screen is blank after it.
  static constexpr std::size_t kAllDrawn = static_cast<std::size_t>(-1);
  std::size_t drawnEnd_ = kAllDrawn;
};

}  // namespace sumquill
