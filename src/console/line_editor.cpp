#include "console/line_editor.h"

#include <algorithm>

#include "console/keys.h"

namespace sumquill {

LineEditor::LineEditor(Terminal& terminal, const CharacterSet& characters, int width,
                       int startColumn)
    : terminal_(terminal),
      set_(characters),
      width_(static_cast<std::size_t>(std::max(width, 1))),
      start_(static_cast<std::size_t>(std::max(startColumn, 0))),
      endCell_(start_),
      at_(start_) {}

std::size_t LineEditor::cellAfter(std::size_t i) const {
  return i == 0 ? start_ : cells_[i - 1] + characters_[i - 1].columns;
}

std::size_t LineEditor::rowStart(std::size_t r) const {
  if (r == 0) return 0;
  return static_cast<std::size_t>(std::lower_bound(cells_.begin(), cells_.end(), r * width_) -
                                  cells_.begin());
}

std::size_t LineEditor::clusterStart(std::size_t i) const {
  while (i > 0 && i < count() && characters_[i].columns == 0) --i;
  return i;
}

std::size_t LineEditor::clusterEnd(std::size_t i) const {
  if (i < count()) ++i;
  while (i < count() && characters_[i].columns == 0) ++i;
  return i;
}

void LineEditor::layOutFrom(std::size_t i) {
  cells_.resize(count());
  std::size_t cell = cellAfter(i);
  for (std::size_t j = i; j < count(); ++j) {
    const std::size_t columns = characters_[j].columns;
    // The console puts a wide character that would not fit into the row's last column on the
    // next row, and leaves that column blank.
    if (columns > 1 && width_ > 1 && column(cell) + columns > width_) {
      cell += width_ - column(cell);
    }
    cells_[j] = cell;
    cell += columns;
  }
  endCell_ = cell;
}

std::string LineEditor::shown(std::size_t from, std::size_t to, std::size_t& cell) const {
  std::string text;
  for (std::size_t i = from; i < to && i < count(); ++i) {
    if (cells_[i] > cell) text.append(cells_[i] - cell, ' ');
    text.append(line_, characters_[i].offset, characters_[i].size);
    cell = cells_[i] + characters_[i].columns;
  }
  return text;
}

void LineEditor::type(char byte) {
  if (!partial_.empty() && !set_.continues(static_cast<unsigned char>(byte))) settlePartial();
  partial_.push_back(byte);
  if (partial_.size() >= set_.expectedLength(static_cast<unsigned char>(partial_[0]))) {
    settlePartial();
  }
}

void LineEditor::settlePartial() {
  const std::string bytes = std::move(partial_);
  partial_.clear();
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = set_.lengthAt(bytes, at);
    insert(std::string_view(bytes).substr(at, length));
    at += length;
  }
}

void LineEditor::insert(std::string_view character) {
  const std::size_t offset = cursor_ < count() ? characters_[cursor_].offset : line_.size();
  line_.insert(offset, character);
  characters_.insert(characters_.begin() + static_cast<std::ptrdiff_t>(cursor_),
                     {offset, character.size(), static_cast<std::size_t>(set_.columns(character))});
  for (std::size_t j = cursor_ + 1; j < count(); ++j) characters_[j].offset += character.size();
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(cursor_), 0);
  layOutFrom(cursor_);
  const std::size_t after = cursor_ + 1;
  // A mark that takes no column joins the character before it: that one is written again too.
  moveBackTo(clusterStart(cursor_));
  writeUpTo(count());
  moveBackTo(after);
}

void LineEditor::backspace() {
  settlePartial();
  if (cursor_ == 0) return;
  const std::size_t target = cursor_ - 1;
  remove(target, cursor_);
}

void LineEditor::erase() {
  settlePartial();
  if (cursor_ == count()) return;
  remove(cursor_, clusterEnd(cursor_));
}

void LineEditor::remove(std::size_t from, std::size_t to) {
  const std::size_t redrawFrom = clusterStart(from);
  moveBackTo(redrawFrom);
  const std::size_t oldEnd = endCell_;
  const std::size_t byteStart = characters_[from].offset;
  const std::size_t byteEnd = to < count() ? characters_[to].offset : line_.size();
  line_.erase(byteStart, byteEnd - byteStart);
  characters_.erase(characters_.begin() + static_cast<std::ptrdiff_t>(from),
                    characters_.begin() + static_cast<std::ptrdiff_t>(to));
  for (std::size_t j = from; j < count(); ++j) characters_[j].offset -= byteEnd - byteStart;
  cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(from),
               cells_.begin() + static_cast<std::ptrdiff_t>(to));
  layOutFrom(from);
  // Blanks over the columns the answer had beyond its new end.
  writeUpTo(count(), oldEnd - std::min(oldEnd, endCell_));
  moveBackTo(from);
}

void LineEditor::left() {
  settlePartial();
  if (cursor_ > 0) moveBackTo(clusterStart(cursor_ - 1));
}

void LineEditor::right() {
  settlePartial();
  if (cursor_ < count()) writeUpTo(clusterEnd(cursor_));
}

void LineEditor::home() {
  settlePartial();
  moveBackTo(0);
}

void LineEditor::end() {
  settlePartial();
  writeUpTo(count());
}

int LineEditor::finish() {
  settlePartial();
  if (count() > 0 && row(at_) < row(cellOf(count() - 1))) end();
  if (pendingWrap_) {
    settle();
    terminal_.moveCursor(1, static_cast<int>(width_ - 1));
    at_ -= 1;
    return static_cast<int>(width_ - 1);
  }
  return static_cast<int>(column(at_));
}

void LineEditor::redraw(std::string_view prompt, int width, bool freshRow) {
  settlePartial();
  if (!freshRow) {
    // Whatever the console made of the rows at the old width, writing the rest of the answer
    // from the cursor ends below all of it.
    const std::size_t from = cursor_ < count() ? characters_[cursor_].offset : line_.size();
    terminal_.write(std::string_view(line_).substr(from));
    terminal_.write("\r\n");
  } else {
    terminal_.write("\r");
  }
  width_ = static_cast<std::size_t>(std::max(width, 1));
  start_ = prompt.size() % width_;
  layOutFrom(0);
  const std::size_t index = cursor_;
  at_ = start_;
  terminal_.write(std::string(prompt) + shown(0, count(), at_));
  cursor_ = count();
  pendingWrap_ = column(at_) == 0 && (count() > 0 || !prompt.empty());
  drawnEnd_ = kAllDrawn;
  moveBackTo(index);
}

void LineEditor::writeUpTo(std::size_t end, std::size_t blanks) {
  if (end <= cursor_ && blanks == 0) return;
  end = std::max(end, cursor_);
  const std::size_t rowEnd = std::min(count(), rowStart(row(cellOf(end)) + 1));
  const std::size_t upTo = drawnEnd_ < rowEnd ? std::max(end, rowEnd) : end;
  std::string text = shown(cursor_, upTo, at_);
  bool wrote = !text.empty();
  if (upTo == count() && blanks > 0) {
    text.append(blanks, ' ');
    at_ = std::max(at_, endCell_) + blanks;
    wrote = true;
  }
  terminal_.write(text);
  if (wrote) pendingWrap_ = column(at_) == 0;
  cursor_ = upTo;
  drawnEnd_ = upTo >= count() ? kAllDrawn : std::max(drawnEnd_, upTo);
  // After blanks the caller brings the cursor back, in one move.
  if (blanks == 0) moveBackTo(end);
}

void LineEditor::settle() {
  if (!pendingWrap_) return;
  std::size_t k = rowStart(row(at_));
  while (k < count() && cells_[k] == at_ && characters_[k].columns == 0) ++k;
  const bool shown = k < count() && cells_[k] == at_ && (drawnEnd_ == kAllDrawn || k < drawnEnd_);
  std::string text = shown ? line_.substr(characters_[k].offset, characters_[k].size) : " ";
  text.append(shown ? characters_[k].columns : 1, keys::kBackspace);
  terminal_.write(text);
  pendingWrap_ = false;
}

void LineEditor::moveBackTo(std::size_t index) {
  const std::size_t target = cellOf(index);
  if (target >= at_) {
    // Only where a wide character went to the next row: the console's cursor waits in the
    // blank column before it, and writes go on from there as from the character's own cell.
    cursor_ = index;
    return;
  }
  settle();
  if (row(target) == row(at_)) {
    terminal_.write(std::string(at_ - target, keys::kBackspace));
  } else {
    const Terminal::CursorRoom room = terminal_.cursorRoom();
    if (row(at_) - row(target) > static_cast<std::size_t>(std::max(room.above, 0))) {
      bringBack(row(target), room);
    }
    terminal_.moveCursor(static_cast<int>(row(at_) - row(target)),
                         static_cast<int>(column(target)));
  }
  at_ = target;
  cursor_ = index;
}

void LineEditor::bringBack(std::size_t target, Terminal::CursorRoom room) {
  const std::size_t above = static_cast<std::size_t>(std::max(room.above, 0));
  const std::size_t height = above + static_cast<std::size_t>(std::max(room.below, 0)) + 1;
  if (height < 2) return;                    // no row to write into but the cursor's own
  const std::size_t top = row(at_) - above;  // the answer's row in the screen's first row
  const std::size_t missing = top - target;
  // A write into the bottom row's last column would scroll the screen on a console that wraps
  // at once, so at most all rows but the last are written.
  const std::size_t written = std::min(missing, height - 1);
  terminal_.scrollDown(static_cast<int>(std::min(missing, height)));
  const std::size_t first = rowStart(target);
  const std::size_t last = rowStart(target + written);
  at_ = target * width_;
  std::string text(target == 0 ? start_ : 0, ' ');
  at_ += text.size();
  text += shown(first, last, at_);
  terminal_.write(text);
  // Below the rows written stays what the screen showed, but for what passed the bottom.
  const std::size_t kept = missing < height ? height - missing : 0;
  drawnEnd_ = std::min(drawnEnd_, rowStart(target + written + kept));
  cursor_ = last;
  pendingWrap_ = column(at_) == 0;
  settle();
}

}  // namespace sumquill
