#include "console/line_editor.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "console/console.h"
#include "support/dialogue.h"
#include "support/screen_terminal.h"

namespace sumquill {
namespace {

using testing::kMargins;
using testing::ScreenTerminal;

struct LinePrompt : ::testing::Test, testing::Dialogue {};

TEST_F(LinePrompt, LinePromptEditsAtTheCursor) {
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

TEST_F(LinePrompt, LinePromptEchoesTypingAndBackspace) {
  terminal.type("ab<bs>c<enter>");
  console.linePromptText("P ");
  EXPECT_EQ(terminal.output(), "P ? ab\b \bc\r\n");
}

/// Types `script` at a prompt on a fresh screen and stops where the keys run out, with the
/// answer still being edited.
void typeUnfinished(ScreenTerminal& screen, std::string_view prompt, std::string_view script) {
  Console console(screen);
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
      Console console(screen);
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
      // Six letters fill 9 of 10 columns: a wide character goes to the next row, and a blank is
      // written into the column it leaves, where an earlier character may have stood.
      {"abcdef\xE4\xB8\xAD<home>", "abcdef \xE4\xB8\xAD<up 1 column 3>"},
      {"abcdef\xE4\xB8\xAD<left>", "abcdef \xE4\xB8\xAD\b\b"},
      {"abcdef\xE4\xB8\xAD<left><left>", "abcdef \xE4\xB8\xAD\b\b<up 1 column 8>"},
      {"abcdef\xE4\xB8\xAD<left><left><right><right>",
       "abcdef \xE4\xB8\xAD\b\b<up 1 column 8>f \xE4\xB8\xAD"},
      // A narrow character put in before it takes the last column; taken out, the blank
      // comes back.
      {"abcdef\xE4\xB8\xAD<left>x<bs>",
       "abcdef \xE4\xB8\xAD\b\b<up 1 column 9>x\xE4\xB8\xAD\b\b<up 1 column 9> \xE4\xB8\xAD\b\b"},
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
    Console console(screen);
    screen.type(std::string(kTallAnswer) + "<home>X<end><bs><home><del><enter>");
    EXPECT_EQ(console.linePromptText("P"), "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLM");
    console.printText("next");
    EXPECT_EQ(screen.rows(), (std::vector<std::string>{"rstuvwxyzA", "BCDEFGHIJK", "LM", "next"}));
  }
}

TEST_F(LinePrompt, APasteLongerThanTheKeyQueueIsTakenWhole) {
  // The scripted terminal hands every key over at once, as a console may with a paste.
  std::string line;
  for (int i = 0; line.size() < 3000; ++i) line += std::to_string(i) + "|";
  terminal.type(line + "<enter>x");
  EXPECT_EQ(console.linePromptText("? "), line);
  EXPECT_EQ(console.readKey(), "x");
}

// Keys hand over a character of several bytes one byte at a time; it is put in, echoed, taken
// back and stepped over whole. A byte that is no part of a character counts as one.
TEST_F(LinePrompt, EditsWholeCharacters) {
  struct Case {
    std::string name;
    std::string script;
    std::string answer;
    std::string echo;
  } const cases[] = {
      {"two bytes, Backspace", "\xC3\xA9<bs>B", "B", "\xC3\xA9\b \bB"},
      {"three bytes, wide, Left", "\xE4\xB8\xAD\xE6\x96\x87<left>x", "\xE4\xB8\xADx\xE6\x96\x87",
       "\xE4\xB8\xAD\xE6\x96\x87\b\bx\xE6\x96\x87\b\b"},
      {"four bytes, wide, Backspace", "\xF0\x9F\x98\x80<bs>a", "a", "\xF0\x9F\x98\x80\b\b  \b\ba"},
      {"a byte that is no character", "\xE9t<home><del>", "t", "\xE9t\b\bt \b\b"},
      {"a lead byte cut off", "\xC3x<left><bs>", "x", "\xC3x\b\bx \b\b"},
      {"a combining mark", "e\xCC\x81<bs>x", "ex", "e\be\xCC\x81\bex"},
      {"Delete takes a character with its marks", "e\xCC\x81z<home><del>", "z",
       "e\be\xCC\x81z\b\bz \b\b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    terminal.type(c.script + "<enter>");
    EXPECT_EQ(console.linePromptText("Q"), c.answer);
    EXPECT_EQ(terminal.takeOutput(), "Q? " + c.echo + "\r\n");
  }
}

TEST_F(LinePrompt, TakesBackAWholeCharacterOfADoubleByteCodePage) {
  std::array<bool, 256> leadBytes{};
  for (std::size_t byte = 0x81; byte <= 0x9F; ++byte) leadBytes[byte] = true;
  terminal.setCharacterSet(CharacterSet::doubleByte(leadBytes));
  terminal.type("a\x82\xA0<bs>\x82\x82<left>b<enter>");
  EXPECT_EQ(console.linePromptText("Q"), "ab\x82\x82");
  EXPECT_EQ(terminal.output(), "Q? a\x82\xA0\b\b  \b\b\x82\x82\b\bb\x82\x82\b\b\r\n");
}

// A new width, or a return from a stop, while an answer is typed: the prompt and the answer are
// shown again on a row of their own, the cursor where it was, and editing goes on at the new
// width.
TEST(ChangedScreen, TheAnswerIsShownAgainWithTheCursorWhereItWas) {
  const std::string letters = "abcdefghijklmnopqrstuvwxyz";
  for (const auto margin : kMargins) {
    SCOPED_TRACE(margin == kMargins[0] ? "pending" : "immediate");
    ScreenTerminal screen(20, margin);
    Console console(screen);
    screen.type(letters + "<home><resize 10>X<end>!<enter>");
    EXPECT_EQ(console.linePromptText("P"), "X" + letters + "!");
    console.printText("next");
    const auto rows = screen.rows();
    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(rows.end() - 5, rows.end()),
              (std::vector<std::string>{"P? Xabcdef", "ghijklmnop", "qrstuvwxyz", "!", "next"}));
  }
  ScreenTerminal screen(20, kMargins[0]);
  Console console(screen);
  screen.type("ab<left><resume>X<enter>");
  EXPECT_EQ(console.linePromptText("P"), "aXb");
  EXPECT_EQ(screen.output(), "P? ab\b<resumed>\rP? ab\bXb\b\r\n");
}

TEST(ChangedScreen, ASignalAtAPromptEndsTheAnswersLine) {
  ScreenTerminal screen(10, kMargins[0]);
  Console console(screen);
  screen.type("abcdefghijkl<home>");
  screen.endWithSignal(15);
  EXPECT_EQ(testing::endStatusOf([&] { console.linePromptText("P"); }), 128 + 15);
  // The cursor goes to the answer's last row, and the line is ended there.
  EXPECT_EQ(screen.output(), "P? abcdefghijkl<up 1 column 3>abcdefghijkl\r\n");
}

}  // namespace
}  // namespace sumquill
