#include "files/interpreter/command_interpreter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/interpreter_fixture.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

namespace fs = std::filesystem;
using testing::Interpreter;
using testing::linesOf;
using testing::readWholeFile;
using testing::writeWholeFile;

constexpr std::string_view kNotRecognized =
    "is not recognized as an internal or external command,\r\n"
    "operable program or batch file.\r\n";

TEST_F(Interpreter, AnswersUnknownCommandsAsTheWindowsInterpreterDoes) {
  struct Case {
    std::string line;
    std::string name;
  } const cases[] = {
      {"frobnicate x y", "frobnicate"},
      {"echo hello", "echo"},
      {"cmd /c type stm_01.txt", "type"},
      {"  ls -l", "ls"},
      {"c:\\windows\\system32\\dir", "c:\\windows\\system32\\dir"},
      {"sh -c 'touch owned'", "sh"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(run(c.line), 1);
    EXPECT_EQ(console(), "'" + c.name + "' " + std::string(kNotRecognized));
  }
  EXPECT_TRUE(testing::folderNames().empty());
}

TEST_F(Interpreter, RedirectsOutputWithAnyBlanksAroundTheSign) {
  for (const std::string line :
       {"dir>out.txt", "dir  > out.txt", "cmd /c dir >   out.txt", "cmd /c \"dir > out.txt\""}) {
    SCOPED_TRACE(line);
    writeWholeFile("out.txt", "old content that must go");
    EXPECT_EQ(run(line), 0);
    EXPECT_EQ(console(), "");
    const std::string listing = readWholeFile("out.txt");
    // The file exists, empty, while the listing is made.
    EXPECT_NE(listing.find(" 0 out.txt\r\n"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("old content"), std::string::npos);
  }
}

TEST_F(Interpreter, DoesNotRunACommandWhoseOutputCannotBeWritten) {
  fs::create_directory("listing.txt");
  EXPECT_EQ(run("cmd /c copy c:\\windows\\system32\\cmd.exe  > listing.txt"), 1);
  EXPECT_EQ(console(), "Access is denied.\r\n");
  EXPECT_EQ(testing::folderNames(), std::vector<std::string>{"listing.txt"});

  for (const std::string line :
       {"dir > ../escaped.txt", "dir > /tmp/escaped.txt", "dir > c:\\escaped.txt", "dir > a*.txt",
        "dir >", "dir | sort", "dir & dir"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(run(line), 1);
    EXPECT_NE(console(), "");
    EXPECT_EQ(testing::folderNames(), std::vector<std::string>{"listing.txt"});
  }
}

TEST_F(Interpreter, SendsErrorsToTheConsoleAndOutputToTheFile) {
  EXPECT_EQ(run("dir nothing*.txt > out.txt"), 1);
  EXPECT_EQ(console(), "File Not Found\r\n");
  const auto lines = linesOf(readWholeFile("out.txt"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], " Volume in drive C has no label.");
  EXPECT_EQ(lines[3], " Directory of " + fs::current_path().string());
}

TEST_F(Interpreter, HasItsOwnSystemFolder) {
  for (const std::string line :
       {"dir c:\\windows\\system32\\*.exe", "DIR C:/Windows/System32/*.EXE",
        "dir c:\\WINDOWS/system32\\*.exe"}) {
    SCOPED_TRACE(line);
    ASSERT_EQ(run(line), 0);
    EXPECT_EQ(linesOf(console())[3], " Directory of C:\\Windows\\System32");
    EXPECT_EQ(listedNames(console()),
              (std::vector<std::string>{"cmd.exe", "find.exe", "sort.exe"}));
  }
  ASSERT_EQ(run("dir c:\\windows\\system32"), 0);
  EXPECT_EQ(listedNames(console()),
            (std::vector<std::string>{".", "..", "chcp.com", "cmd.exe", "find.exe", "sort.exe"}));
  EXPECT_TRUE(testing::folderNames().empty());
}

TEST_F(Interpreter, SurvivesArbitraryLinesWithoutLeavingTheWorkingDirectory) {
  // The working directory is a folder inside the temporary one: anything written outside it
  // shows up next to it.
  fs::create_directory("work");
  fs::current_path("work");
  writeWholeFile("seed.txt", "a\r\nb.exe\r\n");
  const std::vector<std::string> pieces = {"cmd",
                                           "/c",
                                           "dir",
                                           "copy",
                                           "del",
                                           "/q",
                                           "for",
                                           "%i",
                                           "in",
                                           "(",
                                           ")",
                                           "(*)",
                                           "do",
                                           "sort",
                                           "/o",
                                           "find",
                                           "/i",
                                           "\".exe\"",
                                           "\"",
                                           "chcp",
                                           "1250",
                                           ">",
                                           ">>",
                                           "2>",
                                           "|",
                                           "&",
                                           "<",
                                           "..",
                                           "../x",
                                           "/",
                                           "\\",
                                           "c:\\windows\\system32\\*.exe",
                                           "c:",
                                           "*",
                                           "?",
                                           "seed.txt",
                                           "out.txt",
                                           "check_*.txt",
                                           "%",
                                           "nul",
                                           "\t",
                                           "",
                                           std::string(1, '\0'),
                                           "\xff"};
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      line += pieces[random() % pieces.size()];
      if (random() % 3) line += ' ';
    }
    interpreter_.run(line);
  }
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "cmd /c ";
  interpreter_.run(deep + "dir");
  std::string loops;
  for (int i = 0; i < 40; ++i) loops += "for %i in (* *) do ";
  interpreter_.run(loops + "dir");
  EXPECT_EQ(interpreter_.run(std::string(9000, 'x')), 1);
  fs::current_path("..");
  EXPECT_EQ(testing::folderNames(), std::vector<std::string>{"work"});
}

TEST_F(Interpreter, StopsALongDeletionOnceInterrupted) {
  // The request comes in the middle of the deletion, once check_50.txt is gone.
  CommandInterpreter interpreter([](std::string_view) {},
                                 [] { return !fs::exists("check_50.txt"); });
  for (int i = 0; i < 200; ++i) writeWholeFile("check_" + std::to_string(i) + ".txt", "x");
  EXPECT_NE(interpreter.run("cmd /c for %i in (check_*.txt) do del /q \"%i\""), 0);
  // The loop goes in listing order: check_49 before check_50, check_51 after it.
  EXPECT_FALSE(fs::exists("check_49.txt"));
  EXPECT_TRUE(fs::exists("check_51.txt"));
}

TEST_F(Interpreter, NeverWritesThroughALinkOrIntoAFifo) {
  writeWholeFile("../outside.txt", "precious");
  writeWholeFile("in.txt", "b\r\na\r\n");
  fs::create_symlink("../outside.txt", "link.txt");
  fs::create_symlink("../missing.txt", "dangling.txt");
  ASSERT_EQ(::mkfifo("fifo.txt", 0600), 0);
  for (const std::string target : {"link.txt", "dangling.txt", "fifo.txt"}) {
    for (const std::string& line : std::vector<std::string>{
             "dir > " + target, "dir >> " + target, "dir 2> " + target, "copy in.txt " + target,
             "sort in.txt /o " + target, "for %i in (" + target + ") do cmd /c \"dir > \"%i\"\""}) {
      SCOPED_TRACE(line);
      EXPECT_EQ(run(line), 1);
      EXPECT_NE(console().find("Access is denied."), std::string::npos) << console();
    }
  }
  EXPECT_EQ(readWholeFile("../outside.txt"), "precious");
  EXPECT_FALSE(fs::exists("../missing.txt"));
  EXPECT_EQ(fs::symlink_status("fifo.txt").type(), fs::file_type::fifo);
}

TEST_F(Interpreter, AWriteThatFailsLeavesNoPartialFile) {
  writeWholeFile("big.txt", std::string(5000, 'x'));
  writeWholeFile("kept.txt", "before\r\n");
  const testing::ScopedFileSizeLimit limit(2000);
  struct Case {
    std::string line;
    std::string console;
    std::string leftOut;
  } const cases[] = {
      {"copy big.txt copy.txt",
       "There is not enough space on the disk.\r\n        0 file(s) copied.\r\n", "copy.txt"},
      {"copy big.txt+big.txt", "", ""},
      {"cmd /c sort big.txt /o sorted.txt", "There is not enough space on the disk.\r\n",
       "sorted.txt"},
      {"cmd /c type big.txt", "", ""},
      {"cmd /c find /v \"y\" big.txt > found.txt", "There is not enough space on the disk.\r\n",
       "found.txt"},
  };
  for (const auto& c : cases) {
    if (c.leftOut.empty()) continue;
    SCOPED_TRACE(c.line);
    EXPECT_EQ(run(c.line), 1);
    EXPECT_EQ(console(), c.console);
    EXPECT_FALSE(fs::exists(c.leftOut));
  }
  // A file written on at its end is cut back to what it held.
  EXPECT_EQ(run("find /v \"y\" big.txt >> kept.txt"), 1);
  EXPECT_EQ(console(), "There is not enough space on the disk.\r\n");
  EXPECT_EQ(readWholeFile("kept.txt"), "before\r\n");
}

}  // namespace
}  // namespace sumquill
