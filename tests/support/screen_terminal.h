// A screen model behind the scripted terminal, for tests of what a typed answer looks like.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/scripted_terminal.h"

namespace sumquill::testing {

/// A screen of a few columns behind the scripted terminal, which handles the right margin one of
/// the two ways consoles do: a POSIX terminal keeps the cursor in the last column until the next
/// character comes (a pending wrap), the Windows console moves it to the next row at once. A
/// backspace never climbs to the row above. Without a height rows are added as the cursor goes
/// down and nothing scrolls; with one, the screen scrolls up when the cursor passes its last row,
/// and the rows that leave the top are gone.
class ScreenTerminal : public ScriptedTerminal {
 public:
  enum class Margin { pendingWrap, immediateWrap };

  ScreenTerminal(int width, Margin margin, int height = 0)
      : ScriptedTerminal(width), margin_(margin), height_(height) {}

  void write(std::string_view bytes) override {
    ScriptedTerminal::write(bytes);
    for (const char c : bytes) put(c);
  }
  void moveCursor(int rowsUp, int column) override {
    ScriptedTerminal::moveCursor(rowsUp, column);
    // A console stops at its first row, and what follows lands in the wrong place.
    if (height_ > 0 && rowsUp > row_) ADD_FAILURE() << "a move up past the screen's first row";
    row_ = std::max(0, row_ - rowsUp);
    column_ = column;
    pending_ = false;
  }
  CursorRoom cursorRoom() override {
    if (height_ == 0) return ScriptedTerminal::cursorRoom();
    return {row_, height_ - 1 - row_};
  }
  void scrollDown(int rows) override {
    ScriptedTerminal::write("<scroll down " + std::to_string(rows) + ">");
    const auto blank = static_cast<std::size_t>(std::min(rows, height_));
    cells_.insert(cells_.begin(), blank, std::string(static_cast<std::size_t>(width()), ' '));
    cells_.resize(std::min(cells_.size(), static_cast<std::size_t>(height_)));
    std::tie(row_, column_, pending_) = std::tuple{0, 0, false};
  }

  /// The rows without the blanks at their ends; the empty rows at the bottom left out.
  std::vector<std::string> rows() const {
    std::vector<std::string> shown;
    for (const auto& row : cells_) shown.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
    while (!shown.empty() && shown.back().empty()) shown.pop_back();
    return shown;
  }
  /// Where the next character would go, as {row, column}.
  std::pair<int, int> cursor() const {
    return pending_ ? std::pair{row_ + 1, 0} : std::pair{row_, column_};
  }

 private:
  void put(char c) {
    if (c == '\r') {
      column_ = 0;
      pending_ = false;
    } else if (c == '\n') {
      nextRow();
      pending_ = false;
    } else if (c == '\b') {
      if (pending_) {
        pending_ = false;
        --column_;  // from the last column, as xterm does
      } else if (column_ > 0) {
        --column_;
      }
    } else {
      if (pending_) {
        nextRow();
        std::tie(column_, pending_) = std::pair{0, false};
      }
      while (static_cast<int>(cells_.size()) <= row_) cells_.emplace_back(width(), ' ');
      cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(column_)] = c;
      if (column_ < width() - 1) {
        ++column_;
      } else if (margin_ == Margin::pendingWrap) {
        pending_ = true;
      } else {
        nextRow();
        column_ = 0;
      }
    }
  }

  void nextRow() {
    ++row_;
    if (height_ == 0 || row_ < height_) return;
    if (!cells_.empty()) cells_.erase(cells_.begin());
    row_ = height_ - 1;
  }

  Margin margin_;
  int height_;
  std::vector<std::string> cells_;
  int row_ = 0;
  int column_ = 0;
  bool pending_ = false;
};

inline constexpr ScreenTerminal::Margin kMargins[] = {ScreenTerminal::Margin::pendingWrap,
                                                      ScreenTerminal::Margin::immediateWrap};

}  // namespace sumquill::testing
