#include "console/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "console/stream_input.h"
#include "support/dialogue.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

struct ConsoleFixture : ::testing::Test, testing::Dialogue {};

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
  EXPECT_EQ(testing::endStatusOf([this] {
              console.keyMenu({"m"}, {{"1", [] { return MenuAction::leave; }}});
            }),
            kExitFailure);
  EXPECT_NE(terminal.errors().find("input ended"), std::string::npos);
}

TEST_F(ConsoleFixture, EndProgramClosesFilesAndUnwindsWithItsStatus) {
  testing::ScopedTempDir dir;
  ASSERT_TRUE(files.openFile("left_open.txt", FileMode::output, files.freeFileNumber()));
  files.printLine(1, "abc");
  EXPECT_EQ(testing::endStatusOf([this] { console.endProgram(); }), kExitSuccess);
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
    input_.handOverKey(keys, [] { return true; });
  }
  InputWait waitForInput() override {
    if (input_.awaitInput()) return InputWait::ready;
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
  Console console(terminal);
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
    Console console(terminal, [&files] { files.closeAllFiles(); });
    ASSERT_TRUE(files.openFile("open.txt", FileMode::output, files.freeFileNumber()));
    files.printLine(1, "kept");
    // Without input the key wait meets the signal; after "1" the prompt's line read does.
    EXPECT_EQ(testing::endStatusOf([&console] {
                console.anyKeyWait();
                console.linePromptText("T = ");
              }),
              128 + 15);
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
