#include "settings/code_page.h"

#include <gtest/gtest.h>

#include <optional>

#include "console/console.h"
#include "files/file_table.h"
#include "run/records.h"
#include "support/dialogue.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

const std::string kOptions =
    "-------------------------------\r\n"
    "<1> list        Windows code page\r\n"
    "<2> list/select Windows code page - increment\r\n"
    "<8> exit, end\r\n";

const std::string kBrowsePrompt = "any key to continue, <3> select, <8> exit\r\n";

// Row line and description line of each row, as the console must show them.
const std::string kRows[] = {
    " 1            Windows-1250\r\n"
    "Central Europe languages: Albanian, Croatian, Czech, Hungarian, Polish, Romanian, Serbian "
    "(Latin), Slovak, Slovenian\r\n",
    " 2            Windows-1251\r\n"
    "Cyrillic languages: Azeri, Belarusian, Bulgarian, Macedonian, Kazakh, Kyrgyz, Mongolian, "
    "Russian, Serbian, Tatar, Ukrainian, Uzbek\r\n",
    " 3            Windows-1252\r\n"
    "Latin 1 languages: Afrikaans, Basque, Catalan, Danish, Dutch, English, Faroese, Finnish, "
    "French, Galician, German, Icelandic, Indonesian, Italian, Malay, Norwegian, Portuguese, "
    "Spanish, Swahili, Swedish\r\n",
    " 4            Windows-1253\r\nGreek\r\n",
    " 5            Windows-1254\r\nTurkic languages: Azeri (Latin), Turkish, Uzbek (Latin)\r\n",
    " 6            Windows-1255\r\nHebrew\r\n",
    " 7            Windows-1256\r\nArabic, Farsi, Urdu\r\n",
    " 8            Windows-1257\r\nBaltic languages: Estonian, Latvian, Lithuanian\r\n",
    " 9            Windows-1258\r\nVietnamese\r\n",
    " 10           Windows-54936\r\nChina\r\n",
};

std::string listed() {
  std::string text;
  for (const auto& row : kRows) text += row + "\r\n";
  return text;
}

std::string browsed(int lastRow) {
  std::string text;
  for (int row = 1; row <= lastRow; ++row) text += "\r\n" + kRows[row - 1] + kBrowsePrompt;
  return text;
}

/// Writes what chcp would print, so the tests see where the command's output lands.
class ChattyShell : public Shell {
 public:
  explicit ChattyShell(Terminal& terminal) : terminal_(terminal) {}
  int run(const std::string& commandLine) override {
    terminal_.write("<" + commandLine + ">\r\n");
    return 0;
  }

 private:
  Terminal& terminal_;
};

/// One run of the screen with its own console, a shell that records, and fresh settings.
struct CodePageScreen : testing::Dialogue {
  ChattyShell chatty{terminal};
  testing::RecordingShell shell{&chatty};
  RunSettings settings;

  /// Runs the screen on the keys of `script`; the exit status when it ended the program.
  std::optional<int> select(std::string_view script) {
    terminal.type(script);
    const int status = testing::endStatusOf([this] { selectCodePage(console, shell, settings); });
    if (status == -1) return std::nullopt;
    return status;
  }
};

struct CodePageFixture : ::testing::Test, CodePageScreen {};

TEST_F(CodePageFixture, ListThenBrowseToRowTenAndSelectIt) {
  // Every key is typed ahead, so each wait takes the next one in order.
  EXPECT_EQ(select("12x<up>91<esc>2<f1>0 3"), std::nullopt);
  EXPECT_EQ(terminal.output(), "\r\n" + kOptions + listed() + kOptions + browsed(10) +
                                   "-------------------------------\r\n" + kRows[9] +
                                   "Windows code page = Windows-54936\r\n"
                                   "<chcp 54936>\r\n"
                                   "\r\n"
                                   "-------------------------------\r\n");
  EXPECT_EQ(settings.codePage, "54936");
  EXPECT_EQ(shell.commands, std::vector<std::string>{"chcp 54936"});
  EXPECT_EQ(terminal.pendingKeys(), 0u);
}

TEST(CodePage, EachRowSelectsItsOwnNumber) {
  const std::string numbers[] = {"1250", "1251", "1252", "1253", "1254",
                                 "1255", "1256", "1257", "1258", "54936"};
  for (int row = 1; row <= 10; ++row) {
    SCOPED_TRACE(row);
    CodePageScreen screen;
    const std::string& number = numbers[row - 1];
    EXPECT_EQ(screen.select("2" + std::string(static_cast<std::size_t>(row - 1), 'x') + "3"),
              std::nullopt);
    EXPECT_EQ(screen.settings.codePage, number);
    EXPECT_EQ(screen.shell.commands, std::vector<std::string>{"chcp " + number});
    EXPECT_TRUE(screen.terminal.output().ends_with(
        "-------------------------------\r\n" + kRows[row - 1] + "Windows code page = Windows-" +
        number + "\r\n<chcp " + number + ">\r\n\r\n-------------------------------\r\n"));
  }
}

TEST_F(CodePageFixture, TenKeysInABrowseReturnToTheMenu) {
  EXPECT_EQ(select("2xxxxxxxxxx8"), kExitSuccess);
  EXPECT_EQ(terminal.output(), "\r\n" + kOptions + browsed(10) + kOptions + "End\r\n");
  EXPECT_EQ(settings.codePage, "");
  EXPECT_TRUE(shell.commands.empty());
}

TEST_F(CodePageFixture, EightInABrowseStopsAfterTheRowShown) {
  EXPECT_EQ(select("288"), kExitSuccess);
  EXPECT_EQ(terminal.output(), "\r\n" + kOptions + browsed(1) + kOptions + "End\r\n");
}

TEST_F(CodePageFixture, EightTypedDuringTheListEndsRightAfterTheOptions) {
  EXPECT_EQ(select("182"), kExitSuccess);
  EXPECT_EQ(terminal.output(), "\r\n" + kOptions + listed() + kOptions + "End\r\n");
  EXPECT_EQ(settings.codePage, "");
  EXPECT_TRUE(shell.commands.empty());
}

TEST_F(CodePageFixture, UnlistedKeysAtTheMenuShowNothing) {
  EXPECT_EQ(select("39x0<up><f1><enter><esc>8"), kExitSuccess);
  EXPECT_EQ(terminal.output(), "\r\n" + kOptions + "End\r\n");
}

}  // namespace
}  // namespace sumquill
