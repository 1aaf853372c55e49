#include "startup/tool_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "console/console.h"
#include "files/file_table.h"
#include "files/interpreter/command_interpreter.h"
#include "support/dialogue.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

namespace fs = std::filesystem;
using testing::linesOf;
using testing::readWholeFile;
using testing::RecordingShell;
using testing::writeWholeFile;

/// The interpreter, except that chosen command lines write a given file instead of running.
class StandInShell : public Shell {
 public:
  explicit StandInShell(Shell& next) : next_(next) {}
  int run(const std::string& commandLine) override {
    const auto standIn = standIns.find(commandLine);
    if (standIn == standIns.end()) return next_.run(commandLine);
    writeWholeFile(standIn->second.first, standIn->second.second);
    return 0;
  }
  /// Command line -> (file written, its content).
  std::map<std::string, std::pair<std::string, std::string>> standIns;

 private:
  Shell& next_;
};

class ToolChecks : public ::testing::Test, protected testing::Dialogue {
 protected:
  /// Runs the stage; the exit status when it ended the program, -1 when it returned.
  int stage() {
    return testing::endStatusOf([this] { stageAndCheckTools(console, files, recording_); });
  }
  std::vector<std::string> commandsLike(std::string_view start) const {
    std::vector<std::string> result;
    for (const auto& command : recording_.commands) {
      if (command.starts_with(start)) result.push_back(command);
    }
    return result;
  }

  testing::ScopedTempDir dir_;
  CommandInterpreter interpreter_{[this](std::string_view bytes) { terminal.write(bytes); }};
  StandInShell standIns_{interpreter_};
  RecordingShell recording_{&standIns_};
};

const std::vector<std::string> kCopies = {"copy c:\\windows\\system32\\cmd.exe",
                                          "copy c:\\windows\\system32\\find.exe",
                                          "copy c:\\windows\\system32\\sort.exe"};

TEST_F(ToolChecks, StagesTheToolsChecksThemAndLeavesTheScratchFiles) {
  EXPECT_EQ(stage(), -1);
  const std::string deleteChecks = "cmd /c for %i in (check_*.txt) do del /q \"%i\" > out_null.txt";
  EXPECT_EQ(
      recording_.commands,
      (std::vector<std::string>{
          "dir c:\\windows\\system32\\*.exe > stm_01.txt", kCopies[0], kCopies[1], kCopies[2],
          "cmd /c dir  > check_01.txt", deleteChecks, "cmd /c dir  > check_01.txt",
          "cmd /c sort check_01.txt /o check_02.txt", deleteChecks, "cmd /c dir > check_01.txt",
          "cmd /c find /i \".exe\" check_01.txt >  check_02.txt"}));
  const std::string copied = "        1 file(s) copied.";
  const std::string checking =
      "Checking the presence of vital assistance programs of MS Windows system:";
  EXPECT_EQ(linesOf(terminal.output()),
            (std::vector<std::string>{"------------------------------", checking,
                                      "- cmd.exe, sort.exe, find.exe", "", copied, copied, copied,
                                      "", checking, "cmd", "sort", "find"}));
  EXPECT_EQ(testing::folderNames(),
            (std::vector<std::string>{"check_01.txt", "check_02.txt", "cmd.exe", "find.exe",
                                      "out_null.txt", "sort.exe", "stm_01.txt"}));
  const auto found = linesOf(readWholeFile("check_02.txt"));
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(found[0], "");
  EXPECT_EQ(found[1], "---------- CHECK_01.TXT");
  EXPECT_TRUE(found[2].ends_with(" cmd.exe")) << found[2];
  EXPECT_EQ(countNonBlankLines(files, "check_02.txt"), 4);  // the heading and three tools
}

TEST_F(ToolChecks, ASecondStageCopiesAgain) {
  ASSERT_EQ(stage(), -1);
  writeWholeFile("cmd.exe", "changed by the user");
  recording_.commands.clear();
  ASSERT_EQ(stage(), -1);
  EXPECT_EQ(commandsLike("copy "), kCopies);
  EXPECT_EQ(readWholeFile("cmd.exe"), CommandInterpreter::toolContent("cmd.exe"));
}

TEST_F(ToolChecks, CopiesEachToolNamedInAListingLineInTheToolOrder) {
  struct Case {
    std::string listing;
    std::vector<std::string> copies;
  } const cases[] = {
      {"06/05/2021  03:00 PM  289,792 cmd.exe\r\n", {kCopies[0]}},
      {"find.exe sort.exe\r\n", {kCopies[2], kCopies[1]}},
      {"CMD.EXE Sort.exe\r\n", {}},
      {"cmd.exe\r\nxcmd.exe.bak\r\ncmd.exe", {kCopies[0], kCopies[0], kCopies[0]}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.listing);
    // The listing command only leaves the prepared listing behind.
    RecordingShell shell;
    writeWholeFile("stm_01.txt", c.listing);
    stageTools(files, shell);
    ASSERT_FALSE(shell.commands.empty());
    EXPECT_EQ(shell.commands.front(), "dir c:\\windows\\system32\\*.exe > stm_01.txt");
    EXPECT_EQ(std::vector<std::string>(shell.commands.begin() + 1, shell.commands.end()), c.copies);
    EXPECT_EQ(files.freeFileNumber(), 1);
  }
}

TEST_F(ToolChecks, CountsLinesWithAnythingButBlanks) {
  struct Case {
    std::string content;
    int count;
  } const cases[] = {
      {"", 0},       {"\r\n\r\n", 0}, {"   \r\n \r\n", 0},   {"  x", 1},
      {"\t\r\n", 1}, {"a\r\nb", 2},   {"a\r\n\r\nb\r\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    writeWholeFile("counted.txt", c.content);
    EXPECT_EQ(countNonBlankLines(files, "counted.txt"), c.count);
  }
  EXPECT_EQ(countNonBlankLines(files, "missing.txt"), 0);
  EXPECT_EQ(files.freeFileNumber(), 1);
}

TEST_F(ToolChecks, AFailedCmdCheckWaitsForNineAndLeavesEveryFile) {
  fs::create_directory("check_01.txt");
  writeWholeFile("notes.txt", "mine");
  terminal.type("8<enter>x9");
  EXPECT_EQ(stage(), kExitSuccess);
  EXPECT_EQ(terminal.pendingKeys(), 0u);
  const std::string output = terminal.output();
  EXPECT_TRUE(
      output.ends_with("cmd\r\nAccess is denied.\r\n"
                       "Check availability cmd.exe.\r\n"
                       "Most likely it is necessary to updated the system path variable.\r\n"
                       "<9> konec\r\n"))
      << output;
  EXPECT_TRUE(commandsLike("cmd /c for").empty());
  EXPECT_TRUE(fs::is_directory("check_01.txt"));
  EXPECT_EQ(testing::folderNames(),
            (std::vector<std::string>{"check_01.txt", "cmd.exe", "find.exe", "notes.txt",
                                      "sort.exe", "stm_01.txt"}));
}

TEST_F(ToolChecks, ACountedFileWithOneNonBlankLineFails) {
  const std::string sortLine = "cmd /c sort check_01.txt /o check_02.txt";
  const std::string findLine = "cmd /c find /i \".exe\" check_01.txt >  check_02.txt";
  struct Case {
    std::string command;
    std::string content;
    std::string failureLine;  ///< Empty when the stage passes.
  } const cases[] = {
      {sortLine, "  one line\r\n \r\n", "Check availability sort.exe."},
      {sortLine, "one\r\ntwo\r\n", ""},
      {findLine, "\r\n---------- CHECK_01.TXT\r\n", "Check availability find.exe."},
      {findLine, "\r\n---------- CHECK_01.TXT\r\ncmd.exe\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " writing " + ::testing::PrintToString(c.content));
    standIns_.standIns = {{c.command, {"check_02.txt", c.content}}};
    terminal.takeOutput();
    if (!c.failureLine.empty()) terminal.type("9");
    const int status = stage();
    if (c.failureLine.empty()) {
      EXPECT_EQ(status, -1);
    } else {
      EXPECT_EQ(status, kExitSuccess);
      const auto lines = linesOf(terminal.takeOutput());
      ASSERT_GE(lines.size(), 3u);
      EXPECT_EQ(lines[lines.size() - 3], c.failureLine);
    }
  }
}

TEST_F(ToolChecks, TheSecondCheckDeletesEveryCheckFileOfTheFolder) {
  writeWholeFile("check_x.txt", "the user's");
  writeWholeFile("check_x.doc", "the user's");
  writeWholeFile("notes.txt", "the user's");
  ASSERT_EQ(stage(), -1);
  EXPECT_FALSE(fs::exists("check_x.txt"));
  EXPECT_EQ(readWholeFile("check_x.doc"), "the user's");
  EXPECT_EQ(readWholeFile("notes.txt"), "the user's");
}

}  // namespace
}  // namespace sumquill
