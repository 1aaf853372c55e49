// dir, copy, del and for, through the interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <regex>
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

TEST_F(Interpreter, ListsTheWorkingDirectoryInTheWindowsShape) {
  writeWholeFile("a.txt", std::string(1234, 'x'));
  writeWholeFile("B.TXT", "12345");
  writeWholeFile("c.doc", "");
  fs::create_directory("sub");
  ASSERT_EQ(run("dir *.txt"), 0);
  const auto lines = linesOf(console());
  ASSERT_EQ(lines.size(), 9u) << console();
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5].substr(20), "             1,234 a.txt");
  EXPECT_EQ(lines[6].substr(20), "                 5 B.TXT");
  EXPECT_EQ(lines[7], "               2 File(s)          1,239 bytes");
  EXPECT_TRUE(std::regex_match(lines[8], std::regex(R"( {15}0 Dir\(s\) +[0-9,]+ bytes free)")))
      << lines[8];
  EXPECT_EQ(console().find('\n'), console().find("\r\n") + 1);
  EXPECT_EQ(std::count(console().begin(), console().end(), '\n'),
            std::count(console().begin(), console().end(), '\r'));

  ASSERT_EQ(run("dir"), 0);
  const auto all = linesOf(console());
  EXPECT_EQ(all[5].substr(20), "    <DIR>          .");
  EXPECT_EQ(all[all.size() - 3].substr(20), "    <DIR>          sub");
  EXPECT_EQ(all[all.size() - 2], "               3 File(s)          1,239 bytes");
}

TEST_F(Interpreter, MatchesPatternsIgnoringCase) {
  for (const auto* name : {"a.txt", "B.TXT", "ab.txt", "check_01.txt", "Check_x.TXT", "noext"}) {
    writeWholeFile(name, "x");
  }
  fs::create_directory("check_dir.txt");
  struct Case {
    std::string pattern;
    std::vector<std::string> names;
  } const cases[] = {
      {"*.TXT", {"a.txt", "ab.txt", "B.TXT", "check_01.txt", "check_dir.txt", "Check_x.TXT"}},
      {"?.txt", {"a.txt", "B.TXT"}},
      {"CHECK_*.txt", {"check_01.txt", "check_dir.txt", "Check_x.TXT"}},
      {"a*", {"a.txt", "ab.txt"}},
      {"*.*",
       {".", "..", "a.txt", "ab.txt", "B.TXT", "check_01.txt", "check_dir.txt", "Check_x.TXT",
        "noext"}},
      {"noext", {"noext"}},
      {"\"b.txt\"", {"B.TXT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(run("dir " + c.pattern), 0);
    EXPECT_EQ(listedNames(console()), c.names);
  }
  EXPECT_EQ(run("dir *.exe"), 1);
  EXPECT_EQ(linesOf(console()).back(), "File Not Found");
  for (const std::string path : {"..", "../*", "\\tmp\\*", "sub\\*.txt", "d:\\x"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(run("dir " + path), 1);
    EXPECT_EQ(console(), "The system cannot find the path specified.\r\n");
  }
}

/// A listing's date and time column for a moment, in the local time zone.
std::string listedTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  char text[32];
  std::strftime(text, sizeof text, "%m/%d/%Y  %I:%M %p", std::localtime(&seconds));
  return text;
}

TEST_F(Interpreter, ListsLinksAsTheyAreWithoutFollowingThem) {
  using namespace std::chrono;
  const system_clock::time_point fileTime = sys_days{2021y / March / 4} + 13h + 7min;
  const system_clock::time_point folderTime = sys_days{2019y / December / 24} + 8h + 30min;
  writeWholeFile("a.txt", std::string(1234, 'x'));
  fs::create_directory("sub");
  fs::last_write_time("a.txt", file_clock::from_sys(fileTime));
  fs::last_write_time("sub", file_clock::from_sys(folderTime));
  std::error_code code;
  fs::create_symlink("a.txt", "link.txt", code);
  if (!code) fs::create_directory_symlink("sub", "sublink", code);
  if (code) GTEST_SKIP() << "links cannot be made here: " << code.message();

  ASSERT_EQ(run("dir"), 0);
  const auto lines = linesOf(console());
  ASSERT_EQ(lines.size(), 13u) << console();
  const std::string hereTime = lines[5].substr(0, 20);
  EXPECT_EQ(lines[7], listedTime(fileTime) + "             1,234 a.txt");
  // A link shows neither its target's size and time nor the folder mark of a folder it
  // points to.
  EXPECT_EQ(lines[8], hereTime + "                 0 link.txt");
  EXPECT_EQ(lines[9], listedTime(folderTime) + "    <DIR>          sub");
  EXPECT_EQ(lines[10], hereTime + "                 0 sublink");
  EXPECT_EQ(lines[11], "               3 File(s)          1,234 bytes");

  // A link to a file is deleted as the link, as cmd.exe's del does; what it leads to stays. A
  // link to a folder is left alone, as a folder is.
  EXPECT_EQ(run("del /q link.txt"), 0);
  EXPECT_EQ(console(), "");
  EXPECT_EQ(readWholeFile("a.txt"), std::string(1234, 'x'));
  fs::create_symlink("a.txt", "link.txt");
  EXPECT_EQ(run("for %i in (*) do del /q \"%i\""), 0);
  EXPECT_EQ(testing::folderNames(), (std::vector<std::string>{"sub", "sublink"}));
  EXPECT_TRUE(fs::is_directory("sub"));
  EXPECT_TRUE(fs::is_symlink("sublink"));
}

TEST_F(Interpreter, CopiesTheSystemToolsIntoTheWorkingDirectory) {
  EXPECT_EQ(run("copy c:\\windows\\system32\\cmd.exe"), 0);
  EXPECT_EQ(console(), "        1 file(s) copied.\r\n");
  EXPECT_EQ(readWholeFile("cmd.exe"), CommandInterpreter::toolContent("cmd.exe"));
  EXPECT_NE(readWholeFile("cmd.exe").find("stand-in"), std::string::npos);

  writeWholeFile("cmd.exe", "changed");
  EXPECT_EQ(run("copy c:\\windows\\system32\\cmd.exe"), 0);
  EXPECT_EQ(readWholeFile("cmd.exe"), CommandInterpreter::toolContent("cmd.exe"));

  EXPECT_EQ(run("copy c:/windows/system32/*.exe"), 0);
  EXPECT_EQ(linesOf(console()).back(), "        3 file(s) copied.");
  EXPECT_EQ(testing::folderNames(), (std::vector<std::string>{"cmd.exe", "find.exe", "sort.exe"}));
}

TEST_F(Interpreter, CopiesWorkingDirectoryFilesToANameOrAFolder) {
  writeWholeFile("a.txt", "A\r\n");
  writeWholeFile("b.txt", "B\r\n");
  fs::create_directory("sub");
  EXPECT_EQ(run("copy a.txt c.dat"), 0);
  EXPECT_EQ(console(), "        1 file(s) copied.\r\n");
  EXPECT_EQ(readWholeFile("c.dat"), "A\r\n");
  EXPECT_EQ(run("copy *.txt sub"), 0);
  EXPECT_EQ(console(), "a.txt\r\nb.txt\r\n        2 file(s) copied.\r\n");
  EXPECT_EQ(readWholeFile("sub/b.txt"), "B\r\n");
  EXPECT_EQ(run("copy *.txt both.dat"), 0);
  EXPECT_EQ(console(), "a.txt\r\nb.txt\r\n        1 file(s) copied.\r\n");
  EXPECT_EQ(readWholeFile("both.dat"), "A\r\nB\r\n");
}

TEST_F(Interpreter, ReportsCopiesThatCannotBeMade) {
  writeWholeFile("a.txt", "a");
  fs::create_directory("sort.exe");
  struct Case {
    std::string line;
    std::string console;
  } const cases[] = {
      {"copy c:\\windows\\system32\\nope.exe",
       "The system cannot find the file specified.\r\n        0 file(s) copied.\r\n"},
      {"copy a.txt", "The file cannot be copied onto itself.\r\n        0 file(s) copied.\r\n"},
      {"copy c:\\windows\\system32\\sort.exe",
       "Access is denied.\r\n        0 file(s) copied.\r\n"},
      {"copy ..\\a.txt",
       "The system cannot find the path specified.\r\n        0 file(s) copied.\r\n"},
      {"copy a.txt ../b.txt",
       "The system cannot find the path specified.\r\n        0 file(s) copied.\r\n"},
      {"copy", "The syntax of the command is incorrect.\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(run(c.line), 1);
    EXPECT_EQ(console(), c.console);
  }
  EXPECT_EQ(testing::folderNames(), (std::vector<std::string>{"a.txt", "sort.exe"}));
  EXPECT_TRUE(fs::is_empty("sort.exe"));
}

TEST_F(Interpreter, DeletesTheNamedFilesOnly) {
  for (const auto* name : {"a.txt", "b.txt", "x y.txt", "CHECK_01.TXT", "keep.txt"}) {
    writeWholeFile(name, "x");
  }
  fs::create_directory("folder.txt");
  writeWholeFile("folder.txt/inner.txt", "x");
  EXPECT_EQ(run("del /q a.txt  b.txt \"x y.txt\" check_01.txt folder.txt"), 0);
  EXPECT_EQ(testing::folderNames(), (std::vector<std::string>{"folder.txt", "keep.txt"}));
  EXPECT_TRUE(fs::exists("folder.txt/inner.txt"));
  EXPECT_EQ(console(), "Could Not Find " + (fs::current_path() / "folder.txt").string() + "\r\n");

  EXPECT_EQ(run("del /q ../keep.txt"), 0);
  EXPECT_EQ(console(), "The system cannot find the path specified.\r\n");
  EXPECT_EQ(run("del *"), 0);  // nobody answers the question, so nothing goes
  EXPECT_EQ(run("del /q"), 1);
  EXPECT_EQ(testing::folderNames(), (std::vector<std::string>{"folder.txt", "keep.txt"}));
}

TEST_F(Interpreter, RunsACommandForEveryMatchingFile) {
  for (const auto* name : {"check_01.txt", "CHECK_X.TXT", "check_.txt", "other.txt"}) {
    writeWholeFile(name, "x");
  }
  fs::create_directory("check_dir.txt");
  EXPECT_EQ(run("cmd /c for %i in (check_*.txt) do del /q %i > out_null.txt"), 0);
  EXPECT_EQ(console(), "");
  EXPECT_EQ(testing::folderNames(),
            (std::vector<std::string>{"check_dir.txt", "other.txt", "out_null.txt"}));
  // With echo on, each command of the loop is shown before it runs.
  const std::string prompt = "\r\n" + fs::current_path().string() + ">del /q ";
  EXPECT_EQ(readWholeFile("out_null.txt"),
            prompt + "check_.txt\r\n" + prompt + "check_01.txt\r\n" + prompt + "CHECK_X.TXT\r\n");

  EXPECT_EQ(run("for %i in (nothing*.txt) do del /q %i"), 0);
  EXPECT_EQ(console(), "");
  EXPECT_EQ(run("for %i in (a.txt b.txt) do copy %i"), 1);
  EXPECT_EQ(std::count(console().begin(), console().end(), '>'), 2);
  for (const std::string line : {"for", "for %i in check_*.txt do del %i", "for %i in (x) del %i",
                                 "for %i in (x) do", "for i in (x) do x"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(run(line), 1);
    EXPECT_EQ(console(), "The syntax of the command is incorrect.\r\n");
  }
}

// Names that real folders hold: every character a POSIX name may have, and names of the shape the
// loop looks for that are no files.
TEST_F(Interpreter, TheCheckFileLoopDeletesExactlyTheNamesThatMatch) {
  const std::vector<std::string> matching = {
      "check_01.txt",
      "CHECK_02.TXT",
      "check_2024 report.txt",
      "check_ * .txt",
      "check_?.txt",
      "check_a >important.txt",
      "check_a&b.txt",
      "check_(1).txt",
      "check_%i.txt",
      "check_\"quoted\".txt",
      "check_'single'.txt",
      "check_^|<,;=.txt",
      "check_-rf.txt",
      "check_a\\b.txt",
      "check_c:.txt",
      "check_tab\there.txt",
      "check_new\nline.txt",
      "check_\xff\xfe\x80.txt",
      "check_" + std::string(240, 'x') + ".txt",
  };
  const std::vector<std::string> others = {
      "report.txt", "important.txt",   "thesis.docx",  "b.txt",       "-rf",  "a",
      "*",          "check_x.txt.bak", "xcheck_1.txt", "check_.txt~", "i.txt"};
  std::vector<std::string> commandLines = {
      "cmd /c for %i in (check_*.txt) do del /q \"%i\" > out_null.txt",
      "cmd /c for %i in (check_*.txt) do del /q %i > out_null.txt",
  };
  for (const auto& line : commandLines) {
    SCOPED_TRACE(line);
    for (const auto& name : matching) writeWholeFile(name, "x");
    for (const auto& name : others) writeWholeFile(name, name);
    fs::create_directory("check_dir.txt");
    writeWholeFile("check_dir.txt/check_inner.txt", "x");
    fs::create_directory_symlink("check_dir.txt", "check_dirlink.txt");
    writeWholeFile("../outside.txt", "precious");
    fs::create_symlink("../outside.txt", "check_link.txt");

    EXPECT_EQ(run(line), 0);
    EXPECT_EQ(console(), "");
    std::vector<std::string> expected = others;
    for (const auto* kept : {"check_dir.txt", "check_dirlink.txt", "out_null.txt"}) {
      expected.emplace_back(kept);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(testing::folderNames(), expected);
    for (const auto& name : others) EXPECT_EQ(readWholeFile(name), name);
    EXPECT_TRUE(fs::exists("check_dir.txt/check_inner.txt"));
    EXPECT_EQ(readWholeFile("../outside.txt"), "precious");
    fs::remove_all("check_dir.txt");
    fs::remove("check_dirlink.txt");
  }
}

}  // namespace
}  // namespace sumquill
