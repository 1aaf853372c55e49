// sort, find and chcp, through the interpreter.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/interpreter_fixture.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

namespace fs = std::filesystem;
using testing::Interpreter;
using testing::linesOf;
using testing::readWholeFile;
using testing::writeWholeFile;

TEST_F(Interpreter, SortsLinesIgnoringCase) {
  writeWholeFile("in.txt", "b\r\nA\r\nc\na\r\n\r\n  z");
  EXPECT_EQ(run("cmd /c sort in.txt /o out.txt"), 0);
  EXPECT_EQ(console(), "");
  EXPECT_EQ(readWholeFile("out.txt"), "\r\n  z\r\nA\r\na\r\nb\r\nc\r\n");
  EXPECT_EQ(run("sort in.txt /R"), 0);
  EXPECT_EQ(console(), "c\r\nb\r\nA\r\na\r\n  z\r\n\r\n");

  EXPECT_EQ(run("sort missing.txt /o never.txt"), 1);
  EXPECT_EQ(console(), "The system cannot find the file specified.\r\n");
  EXPECT_FALSE(fs::exists("never.txt"));
  EXPECT_EQ(run("sort in.txt /o ../never.txt"), 1);
  EXPECT_FALSE(fs::exists("../never.txt"));
}

TEST_F(Interpreter, FindsLinesHoldingTheText) {
  writeWholeFile("list.txt", "cmd.exe\r\nFIND.EXE\r\nnotes.txt\r\nsort.exe");
  struct Case {
    std::string line;
    int status;
    std::string output;
  } const cases[] = {
      {"find /i \".exe\" list.txt", 0,
       "\r\n---------- LIST.TXT\r\ncmd.exe\r\nFIND.EXE\r\nsort.exe\r\n"},
      {"find \".exe\" list.txt", 0, "\r\n---------- LIST.TXT\r\ncmd.exe\r\nsort.exe\r\n"},
      {"find /I /N \".EXE\" list.txt", 0,
       "\r\n---------- LIST.TXT\r\n[1]cmd.exe\r\n[2]FIND.EXE\r\n[4]sort.exe\r\n"},
      {"find /v /i \".exe\" list.txt", 0, "\r\n---------- LIST.TXT\r\nnotes.txt\r\n"},
      {"find /c \"exe\" list.txt", 0, "\r\n---------- LIST.TXT: 2\r\n"},
      {"find \"zip\" list.txt", 1, "\r\n---------- LIST.TXT\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(run("cmd /c " + c.line + " >  found.txt"), c.status);
    EXPECT_EQ(readWholeFile("found.txt"), c.output);
    EXPECT_EQ(console(), "");
  }
  EXPECT_EQ(run("find /i \".exe\" missing.txt"), 2);
  EXPECT_EQ(console(), "File not found - MISSING.TXT\r\n");
  EXPECT_EQ(run("find /i .exe list.txt"), 2);
  EXPECT_EQ(console(), "FIND: Parameter format not correct\r\n");
}

TEST_F(Interpreter, ReportsTheCodePageAndChangesNothingElse) {
  EXPECT_EQ(run("chcp 1250"), 0);
  EXPECT_EQ(console(), "Active code page: 1250\r\n");
  EXPECT_EQ(run("chcp"), 0);
  EXPECT_EQ(console(), "Active code page: 1250\r\n");
  for (const std::string line : {"chcp abc", "chcp 0", "chcp 70000", "chcp 12 34"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(run(line), 1);
    EXPECT_EQ(console(), "Invalid code page\r\n");
  }
  EXPECT_TRUE(testing::folderNames().empty());
}

}  // namespace
}  // namespace sumquill
