#include "console/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "console/scripted_terminal.h"
#include "console/stream_input.h"
#include "files/file_table.h"
#include "test_support.h"

namespace sumquill {
namespace {

struct ConsoleFixture : ::testing::Test {
  ScriptedTerminal terminal;
  FileTable files;
  Console console{terminal, files};
};

TEST(PrintedInteger, HasABlankOrMinusThenTheDigits) {
  EXPECT_EQ(printedInteger(7), " 7");
  EXPECT_EQ(printedInteger(0), " 0");
  EXPECT_EQ(printedInteger(-12), "-12");
  EXPECT_EQ(printedInteger(INT32_MIN), "-2147483648");
}

TEST_F(ConsoleFixture, AdvanceToZonePadsToTheNextZoneOrEndsTheLine) {
  console.printInteger(5, IntegerEnding::nextZone);
  EXPECT_EQ(terminal.takeOutput(), " 5" + std::string(12, ' '));
  console.printBlankLine();
  console.printInteger(10, IntegerEnding::nextZone);
  EXPECT_EQ(terminal.takeOutput(), "\r\n 10" + std::string(11, ' '));
  console.printText(std::string(29, 'x'));  // column 43: the zone at 57 still fits
  console.advanceToZone();
  EXPECT_EQ(console.column(), 56);
  console.printInteger(1, IntegerEnding::nextZone);
  EXPECT_EQ(terminal.takeOutput(), std::string(29, 'x') + std::string(13, ' ') + " 1\r\n");
  EXPECT_EQ(console.column(), 0);
}

TEST_F(ConsoleFixture, ColumnCounterFollowsTheLastLineEndAndWraps) {
  console.printText("abc\r\nde");
  EXPECT_EQ(console.column(), 2);
  console.printText(std::string(80, 'x'));
  EXPECT_EQ(console.column(), 2);
}

TEST_F(ConsoleFixture, KeyMenuShowsOptionsOnceAndSwallowsUnlistedKeys) {
  terminal.type("x<up>1");
  int ones = 0;
  const std::string key = console.keyMenu({"", "<1> one"}, {{"1", [&] {
                                                               ++ones;
                                                               return MenuAction::leave;
                                                             }}});
  EXPECT_EQ(key, "1");
  EXPECT_EQ(ones, 1);
  EXPECT_EQ(terminal.output(), "\r\n<1> one\r\n");
}

TEST_F(ConsoleFixture, KeyMenuShowsOptionsAgainOnlyWhenAnActionAsks) {
  terminal.type("2313");
  console.keyMenu({"opts"}, {{"1", [] { return MenuAction::leave; }},
                             {"2", [] { return MenuAction::stay; }},
                             {"3", [] { return MenuAction::showOptions; }}});
  EXPECT_EQ(terminal.output(), "opts\r\nopts\r\n");
}

TEST_F(ConsoleFixture, KeysTypedAheadAnswerSuccessiveMenus) {
  terminal.type("11");
  for (int menu = 0; menu < 2; ++menu) {
    console.keyMenu({"m"}, {{"1", [] { return MenuAction::leave; }}});
  }
  EXPECT_EQ(terminal.output(), "m\r\nm\r\n");
}

TEST_F(ConsoleFixture, InputThatEndsAtAMenuEndsTheRunWithFailure) {
  terminal.type("x");
  try {
    console.keyMenu({"m"}, {{"1", [] { return MenuAction::leave; }}});
    FAIL() << "the menu returned";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.status, kExitFailure);
  }
  EXPECT_NE(terminal.errors().find("input ended"), std::string::npos);
}

TEST_F(ConsoleFixture, LinePromptEditsAtTheCursor) {
  struct Case {
    std::string_view script;
    std::string_view answer;
  } const cases[] = {
      {"B<enter>", "B"},           {"<bs><bs>ab<bs>c<enter>", "ac"},
      {"ac<left>b<enter>", "abc"}, {"abc<home><del><end>d<enter>", "bcd"},
      {"<f1><up>x<esc>\n", "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    terminal.type(c.script);
    EXPECT_EQ(console.linePromptText("Q = "), c.answer);
    const std::string shown = terminal.takeOutput();
    EXPECT_EQ(shown.substr(0, 6), "Q = ? ");
    EXPECT_EQ(shown.substr(shown.size() - 2), "\r\n");
  }
}

TEST_F(ConsoleFixture, LinePromptEchoesTypingAndBackspace) {
  terminal.type("ab<bs>c<enter>");
  console.linePromptText("P ");
  EXPECT_EQ(terminal.output(), "P ? ab\b \bc\r\n");
}

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

constexpr ScreenTerminal::Margin kMargins[] = {ScreenTerminal::Margin::pendingWrap,
                                               ScreenTerminal::Margin::immediateWrap};

/// Types `script` at a prompt on a fresh screen and stops where the keys run out, with the
/// answer still being edited.
void typeUnfinished(ScreenTerminal& screen, std::string_view prompt, std::string_view script) {
  FileTable files;
  Console console(screen, files);
  screen.type(script);
  EXPECT_THROW(console.linePromptText(prompt), ProgramEnded);
}

TEST(WrappedAnswer, EditingKeepsTheScreenAndTheCursorRightOnBothKindsOfMargin) {
  using Rows = std::vector<std::string>;
  // "P? " leaves 7 columns of the first row of 10 to the answer.
  struct Case {
    std::string_view prompt;
    std::string_view script;
    Rows screen;
    std::pair<int, int> cursor;
  } const cases[] = {
      {"P", "abcdefghijkl", {"P? abcdefg", "hijkl"}, {1, 5}},
      {"P", "abcdefghijkl<home>X", {"P? Xabcdef", "ghijkl"}, {0, 4}},
      {"P", "abcdefghij<left><left><left><left>X", {"P? abcdefX", "ghij"}, {1, 0}},
      // Backspace and Delete at the first column of the second row.
      {"P", "abcdefghij<left><left><left><bs>", {"P? abcdefh", "ij"}, {0, 9}},
      {"P", "abcdefghij<left><left><left><del>", {"P? abcdefg", "ij"}, {1, 0}},
      // Answers that end exactly at the margin.
      {"P", "abcdefg", {"P? abcdefg"}, {1, 0}},
      {"P", "abcdefg<bs>", {"P? abcdef"}, {0, 9}},
      {"P", "abcdefg<left>", {"P? abcdefg"}, {0, 9}},
      {"P", "abcdefg<left><right><left>Z", {"P? abcdefZ", "g"}, {1, 0}},
      {"P",
       "abcdefghij<home><right><right><right><right><right><right><right>Y",
       {"P? abcdefg", "Yhij"},
       {1, 1}},
      // Three rows, and back from the third to the first.
      {"P", "abcdefghijklmnopqrstu<home><del>", {"P? bcdefgh", "ijklmnopqr", "stu"}, {0, 3}},
      {"P", "abcdefghijklmnopqrstu<home><end><left>", {"P? abcdefg", "hijklmnopq", "rstu"}, {2, 3}},
      // Shortened back onto one row: the second row is blanked.
      {"P", "abcdefghi<home><del><del><del>", {"P? defghi"}, {0, 3}},
      // A prompt that fills its row: the answer starts in the next row's first column.
      {"abcdefgh", "xyzabcdefghij<home>Z", {"abcdefgh?", "Zxyzabcdef", "ghij"}, {1, 1}},
  };
  for (const auto margin : kMargins) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.script) + (margin == kMargins[0] ? " pending" : " immediate"));
      ScreenTerminal screen(10, margin);
      typeUnfinished(screen, c.prompt, c.script);
      EXPECT_EQ(screen.rows(), c.screen);
      EXPECT_EQ(screen.cursor(), c.cursor);
    }
  }
}

TEST(WrappedAnswer, TheLineEndComesAfterTheAnswersLastRow) {
  struct Case {
    std::string_view script;
    std::string_view answer;
    std::vector<std::string> screen;
  } const cases[] = {
      {"abcdefghijkl<home><enter>", "abcdefghijkl", {"P? abcdefg", "hijkl", "next"}},
      {"abcdefghijkl<left><enter>", "abcdefghijkl", {"P? abcdefg", "hijkl", "next"}},
      // Ending exactly at the margin leaves no empty row on either console.
      {"abcdefg<enter>", "abcdefg", {"P? abcdefg", "next"}},
      {"abcdefghijklmnopq<home><enter>", "abcdefghijklmnopq", {"P? abcdefg", "hijklmnopq", "next"}},
  };
  for (const auto margin : kMargins) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.script) + (margin == kMargins[0] ? " pending" : " immediate"));
      ScreenTerminal screen(10, margin);
      FileTable files;
      Console console(screen, files);
      screen.type(c.script);
      EXPECT_EQ(console.linePromptText("P"), c.answer);
      EXPECT_EQ(console.column(), 0);
      console.printText("next");
      EXPECT_EQ(screen.rows(), c.screen);
    }
  }
}

TEST(WrappedAnswer, MovesToAnotherRowOnlyWhereABackspaceCannotGo) {
  struct Case {
    std::string_view script;
    std::string_view shown;
  } const cases[] = {
      // Within a row of a wrapped answer: backspaces, as before.
      {"abcdefghijk<left><left>", "abcdefghijk\b\b"},
      {"abcdefghijk<left><left><left><left><left>", "abcdefghijk\b\b\b\b<up 1 column 9>"},
      {"abcdefghijk<home>", "abcdefghijk<up 1 column 3>"},
      // The write that ends at the margin is settled before the cursor leaves it.
      {"abcdefg<left>", "abcdefg \b<up 1 column 9>"},
      {"abcdefghij<home><right><right><right><right><right><right><right><left>",
       "abcdefghij<up 1 column 3>abcdefgh\b<up 1 column 9>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    ScreenTerminal screen(10, kMargins[0]);
    typeUnfinished(screen, "P", c.script);
    EXPECT_EQ(screen.output(), "P? " + std::string(c.shown));
  }
}

// An answer taller than a screen of 4 rows of 10 columns, where "P? " leaves 7 columns of the
// first row: 40 characters fill rows 0 to 4 of the answer, so its first row has scrolled away.
constexpr std::string_view kTallAnswer = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";

TEST(TallAnswer, RowsThatScrolledAwayAreShownAgainWhenTheCursorGoesThere) {
  using Rows = std::vector<std::string>;
  const std::string tall(kTallAnswer);
  const std::string lefts = [] {
    std::string keys;
    for (int i = 0; i < 34; ++i) keys += "<left>";
    return keys;
  }();
  const std::string rights = [] {
    std::string keys;
    for (int i = 0; i < 37; ++i) keys += "<right>";
    return keys;
  }();
  // The rows 1 to 4 of the answer, as typing it leaves them.
  const Rows typed{"hijklmnopq", "rstuvwxyzA", "BCDEFGHIJK", "LMN"};
  // The first rows again, the prompt's columns blank; the last row passed the bottom.
  const Rows first{"   abcdefg", "hijklmnopq", "rstuvwxyzA", "BCDEFGHIJK"};
  struct Case {
    std::string name;
    std::string script;
    Rows screen;
    std::pair<int, int> cursor;
  } const cases[] = {
      {"typed", tall, typed, {3, 3}},
      {"Home", tall + "<home>", first, {0, 3}},
      {"Left across the screen's first row", tall + lefts, first, {0, 9}},
      {"Home, then End", tall + "<home><end>", typed, {3, 3}},
      // The row that passed the bottom is written whole when the cursor comes to it.
      {"Home, then Right into the row that passed the bottom",
       tall + "<home>" + rights,
       typed,
       {3, 0}},
      // A whole row written at the bottom leaves the cursor in a new row below, blank until the
      // cursor comes to it, on both kinds of margin.
      {"Home, then Right into a whole row that passed the bottom",
       tall + "OPQRSTU<home>" + rights,
       {"rstuvwxyzA", "BCDEFGHIJK", "LMNOPQRSTU"},
       {2, 0}},
      {"a character inserted at Home",
       tall + "<home>X",
       {"   Xabcdef", "ghijklmnop", "qrstuvwxyz", "ABCDEFGHIJ"},
       {0, 4}},
      // The first row is more than a screen above: the rows below it are all written anew, and
      // the last stays blank until the cursor comes to it.
      {"Home from twice the screen's height",
       tall + "OPQRSTUVWXYZ0123456789abcdefghijklmn<home>",
       {"   abcdefg", "hijklmnopq", "rstuvwxyzA"},
       {0, 3}},
      {"Delete at Home from twice the screen's height",
       tall + "OPQRSTUVWXYZ0123456789abcdefghijklmn<home><del>",
       {"   bcdefgh", "ijklmnopqr", "stuvwxyzAB"},
       {0, 3}},
  };
  for (const auto margin : kMargins) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name + (margin == kMargins[0] ? " pending" : " immediate"));
      ScreenTerminal screen(10, margin, 4);
      typeUnfinished(screen, "P", c.script);
      EXPECT_EQ(screen.rows(), c.screen);
      EXPECT_EQ(screen.cursor(), c.cursor);
    }
  }
}

TEST(TallAnswer, TheAnswerAndTheLineEndAreAsOnATallerScreen) {
  for (const auto margin : kMargins) {
    SCOPED_TRACE(margin == kMargins[0] ? "pending" : "immediate");
    ScreenTerminal screen(10, margin, 4);
    FileTable files;
    Console console(screen, files);
    screen.type(std::string(kTallAnswer) + "<home>X<end><bs><home><del><enter>");
    EXPECT_EQ(console.linePromptText("P"), "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLM");
    console.printText("next");
    EXPECT_EQ(screen.rows(), (std::vector<std::string>{"rstuvwxyzA", "BCDEFGHIJK", "LM", "next"}));
  }
}

TEST_F(ConsoleFixture, APasteLongerThanTheKeyQueueIsTakenWhole) {
  // The scripted terminal hands every key over at once, as a console may with a paste.
  std::string line;
  for (int i = 0; line.size() < 3000; ++i) line += std::to_string(i) + "|";
  terminal.type(line + "<enter>x");
  EXPECT_EQ(console.linePromptText("? "), line);
  EXPECT_EQ(console.readKey(), "x");
}

TEST_F(ConsoleFixture, EndProgramClosesFilesAndUnwindsWithItsStatus) {
  testing::ScopedTempDir dir;
  ASSERT_TRUE(files.openFile("left_open.txt", FileMode::output, files.freeFileNumber()));
  files.printLine(1, "abc");
  try {
    console.endProgram();
    FAIL() << "endProgram returned";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.status, kExitSuccess);
  }
  EXPECT_EQ(testing::readWholeFile("left_open.txt"), "abc\r\n");
  EXPECT_EQ(files.freeFileNumber(), 1);
}

/// Standard input that is not a console: fixed bytes, read by the stream rules. When the bytes
/// run out it can report a signal instead of the end.
class PipedTerminal : public Terminal {
 public:
  explicit PipedTerminal(std::string bytes, int signalAtEnd = 0)
      : bytes_(std::move(bytes)), signalAtEnd_(signalAtEnd) {}

  std::string output;
  void write(std::string_view bytes) override { output.append(bytes); }
  void writeError(std::string_view) override {}
  int width() override { return 80; }
  int startColumn() override { return 0; }
  bool interactive() override { return false; }
  void takeKeys(std::vector<std::string>& keys) override {
    if (!input_.hasKey() && !input_.ended()) input_.fill();
    if (input_.hasKey()) keys.push_back(input_.takeKey());
  }
  InputWait waitForInput() override {
    if (input_.hasKey() || input_.fill()) return InputWait::ready;
    return signalAtEnd_ != 0 ? InputWait::signalled : InputWait::ended;
  }
  bool readLine(std::string& line) override { return input_.readLine(line); }
  int endingSignal() const override { return input_.ended() ? signalAtEnd_ : 0; }

 private:
  std::string bytes_;
  int signalAtEnd_;
  StreamInput input_{[this](char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, bytes_.size());
    bytes_.copy(buffer, count);
    bytes_.erase(0, count);
    return static_cast<std::ptrdiff_t>(count);
  }};
};

TEST(PipedConsole, MenuKeysLeaveTheLinesBehindThemForThePrompts) {
  PipedTerminal terminal("x1\nhello, world\n2\n42\n");
  FileTable files;
  Console console(terminal, files);
  const auto menu = [&] {
    return console.keyMenu(
        {"m"}, {{"1", [] { return MenuAction::leave; }}, {"2", [] { return MenuAction::leave; }}});
  };
  EXPECT_EQ(menu(), "1");
  EXPECT_EQ(console.linePromptText("T = "), "hello");
  EXPECT_EQ(menu(), "2");
  EXPECT_EQ(console.linePromptInteger("N = "), 42);
  // The typed line shows after its prompt, as a console would have echoed it.
  EXPECT_EQ(terminal.output, "m\r\nT = ? hello, world\r\nm\r\nN = ? 42\r\n");
}

TEST(PipedConsole, SignalDuringAWaitEndsWith128PlusItsNumberAndClosesFiles) {
  testing::ScopedTempDir dir;
  for (const std::string_view input : {"", "1"}) {
    SCOPED_TRACE(std::string(input));
    PipedTerminal terminal(std::string(input), 15);
    FileTable files;
    Console console(terminal, files);
    ASSERT_TRUE(files.openFile("open.txt", FileMode::output, files.freeFileNumber()));
    files.printLine(1, "kept");
    try {
      // Without input the key wait meets the signal; after "1" the prompt's line read does.
      console.anyKeyWait();
      console.linePromptText("T = ");
      FAIL() << "the wait returned";
    } catch (const ProgramEnded& end) {
      EXPECT_EQ(end.status, 128 + 15);
    }
    EXPECT_EQ(testing::readWholeFile("open.txt"), "kept\r\n");
  }
}

TEST(KeyQueue, HoldsAtMost511KeysAndDropsTheOldest) {
  KeyQueue queue;
  for (int i = 0; i < 600; ++i) queue.push(std::to_string(i));
  EXPECT_EQ(queue.size(), 511u);
  EXPECT_EQ(queue.pop(), "89");
}

}  // namespace
}  // namespace sumquill
