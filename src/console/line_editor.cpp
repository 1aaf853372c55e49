#include "console/line_editor.h"

#include <algorithm>

#include "console/keys.h"

namespace sumquill {

void LineEditor::insert(char character) {
  line_.insert(cursor_, 1, character);
  const std::size_t after = cursor_ + 1;
  writeUpTo(line_.size());
  moveBackTo(after);
}

void LineEditor::backspace() {
  if (cursor_ == 0) return;
  moveBackTo(cursor_ - 1);
  erase();
}

void LineEditor::erase() {
  if (cursor_ == line_.size()) return;
  line_.erase(cursor_, 1);
  const std::size_t at = cursor_;
  writeUpTo(line_.size() + 1);  // a blank over the last column the answer had
  moveBackTo(at);
}

void LineEditor::left() {
  if (cursor_ > 0) moveBackTo(cursor_ - 1);
}

void LineEditor::right() {
  if (cursor_ < line_.size()) writeUpTo(cursor_ + 1);
}

void LineEditor::home() { moveBackTo(0); }

void LineEditor::end() { writeUpTo(line_.size()); }

int LineEditor::finish() {
  if (!line_.empty() && row(cursor_) < row(line_.size() - 1)) end();
  if (pendingWrap_) {
    settle();
    terminal_.moveCursor(1, static_cast<int>(width_ - 1));
    return static_cast<int>(width_ - 1);
  }
  return static_cast<int>(column(cursor_));
}

void LineEditor::writeUpTo(std::size_t end) {
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

void LineEditor::settle() {
  if (!pendingWrap_) return;
  terminal_.write(std::string{cursor_ < drawnEnd_ ? shownAt(cursor_) : ' ', keys::kBackspace});
  pendingWrap_ = false;
}

void LineEditor::moveBackTo(std::size_t index) {
  if (index >= cursor_) return;
  settle();
  if (row(index) == row(cursor_)) {
    terminal_.write(std::string(cursor_ - index, keys::kBackspace));
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

void LineEditor::bringBack(std::size_t target, Terminal::CursorRoom room) {
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

}  // namespace sumquill
