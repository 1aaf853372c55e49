#include "files/file_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "support/test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sumquill {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;

std::vector<std::string> readAllLines(FileTable& files, const std::string& name) {
  std::vector<std::string> lines;
  const FileNumber number = files.freeFileNumber();
  files.openFile(name, FileMode::input, number);
  std::string line;
  while (!files.atEndOfFile(number)) {
    files.readLine(number, line);
    lines.push_back(line);
  }
  files.closeFile(number);
  return lines;
}

TEST(FileTable, ReadsLinesByTheLineEndRules) {
  struct Case {
    std::string_view bytes;
    std::vector<std::string> lines;
  } const cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"", {}},
      {"\r\n", {""}},
      {"\r\n\r\nx", {"", "", "x"}},
      {"a\rb\r\n", {"a\rb"}},
      {"a\r", {"a"}},
      {"a\r\r\n", {"a\r"}},
      {std::string_view("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  testing::ScopedTempDir dir;
  FileTable files;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.bytes)));
    writeWholeFile("in.txt", c.bytes);
    EXPECT_EQ(readAllLines(files, "in.txt"), c.lines);
  }
}

TEST(FileTable, ReturnsALongLineWhole) {
  testing::ScopedTempDir dir;
  const std::string line(200000, 'x');
  writeWholeFile("long.txt", line + "\r\n");
  FileTable files;
  EXPECT_EQ(readAllLines(files, "long.txt"), std::vector<std::string>{line});
}

TEST(FileTable, MissingOrUnreadableInputReadsAsNoLines) {
  testing::ScopedTempDir dir;
  std::filesystem::create_directory("a_folder.txt");
  FileTable files;
  for (const std::string name : {"missing.txt", "a_folder.txt"}) {
    SCOPED_TRACE(name);
    std::string error;
    EXPECT_FALSE(files.openFile(name, FileMode::input, 1, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(files.atEndOfFile(1));
    std::string line = "kept";
    files.readLine(1, line);
    EXPECT_EQ(line, "kept");
    EXPECT_EQ(files.freeFileNumber(), 1);
  }
}

TEST(FileTable, WritesRawBytesWithCrLfAndReplacesOldContent) {
  testing::ScopedTempDir dir;
  FileTable files;
  ASSERT_TRUE(files.openFile("out.txt", FileMode::output, 1));
  files.printLine(1, "abc");
  files.printText(1, "x\ny");
  files.printInteger(1, -3);
  EXPECT_EQ(files.closeFile(1), "");
  EXPECT_EQ(readWholeFile("out.txt"), "abc\r\nx\ny-3\r\n");
  ASSERT_TRUE(files.openFile("out.txt", FileMode::output, 1));
  files.printLine(1, "new");
  files.closeFile(1);
  EXPECT_EQ(readWholeFile("out.txt"), "new\r\n");
}

TEST(FileTable, NumbersAreTheLowestFreeAndFreedOnClose) {
  testing::ScopedTempDir dir;
  FileTable files;
  EXPECT_EQ(files.freeFileNumber(), 1);
  ASSERT_TRUE(files.openFile("one.txt", FileMode::output, 1));
  ASSERT_TRUE(files.openFile("two.txt", FileMode::output, 2));
  EXPECT_EQ(files.freeFileNumber(), 3);
  EXPECT_FALSE(files.openFile("other.txt", FileMode::output, 1));  // in use: left untouched
  EXPECT_FALSE(files.openFile("other.txt", FileMode::output, 0));
  EXPECT_FALSE(files.openFile("other.txt", FileMode::output, 256));
  files.printLine(1, "still one");
  files.closeFile(1);
  EXPECT_EQ(files.freeFileNumber(), 1);
  EXPECT_EQ(readWholeFile("one.txt"), "still one\r\n");
  for (FileNumber n = 1; n <= FileTable::kMaxNumber; ++n) {
    if (n == 2) continue;
    ASSERT_TRUE(files.openFile("f" + std::to_string(n), FileMode::output, n));
  }
  EXPECT_EQ(files.freeFileNumber(), 0);
}

TEST(FileTable, WritesToANumberWithoutAFileGoNowhere) {
  testing::ScopedTempDir dir;
  std::filesystem::create_directory("blocked.txt");
  FileTable files;
  std::string error;
  EXPECT_FALSE(files.openFile("blocked.txt", FileMode::output, 1, &error));
  EXPECT_FALSE(error.empty());
  files.printLine(1, "lost");
  EXPECT_EQ(files.closeFile(1), "");
  ASSERT_TRUE(files.openFile("later.txt", FileMode::output, 1));
  files.closeFile(1);
  EXPECT_EQ(readWholeFile("later.txt"), "");
}

/// The names in the working directory that are not the given ones.
std::vector<std::string> namesBut(std::initializer_list<std::string> known) {
  std::vector<std::string> others;
  for (const auto& name : testing::folderNames()) {
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

TEST(FileTable, AReplacementTakesThePlaceOfItsFileOnlyWhenClosed) {
  testing::ScopedTempDir dir;
  writeWholeFile("report.txt", "earlier run\r\n");
  FileTable files;
  ASSERT_TRUE(files.openFile("report.txt", FileMode::replacement, 1));
  files.printLine(1, "this run");
  // Written elsewhere until it is closed: a reader sees the earlier run's file whole.
  EXPECT_EQ(readWholeFile("report.txt"), "earlier run\r\n");
  EXPECT_EQ(namesBut({"report.txt"}).size(), 1u);
  EXPECT_EQ(files.closeFile(1), "");
  EXPECT_EQ(readWholeFile("report.txt"), "this run\r\n");
  EXPECT_EQ(testing::folderNames(), std::vector<std::string>{"report.txt"});

  // A run that ends before it closes the file leaves the earlier one as it was.
  ASSERT_TRUE(files.openFile("report.txt", FileMode::replacement, 1));
  files.printLine(1, "an interrupted run");
  files.closeAllFiles();
  EXPECT_EQ(readWholeFile("report.txt"), "this run\r\n");
  EXPECT_EQ(testing::folderNames(), std::vector<std::string>{"report.txt"});
}

#ifndef _WIN32
TEST(FileTable, AReplacementThatFailsLeavesTheEarlierFile) {
  testing::ScopedTempDir dir;
  writeWholeFile("report.txt", "earlier run\r\n");
  FileTable files;
  {
    ASSERT_TRUE(files.openFile("report.txt", FileMode::replacement, 1));
    const testing::ScopedFileSizeLimit limit(1000);
    files.printLine(1, std::string(5000, 'x'));
    EXPECT_EQ(files.closeFile(1), std::generic_category().message(EFBIG));
  }
  EXPECT_EQ(readWholeFile("report.txt"), "earlier run\r\n");
  EXPECT_EQ(testing::folderNames(), std::vector<std::string>{"report.txt"});

  // Its temporary file removed meanwhile (or its folder with it): no success either.
  ASSERT_TRUE(files.openFile("report.txt", FileMode::replacement, 1));
  for (const auto& name : namesBut({"report.txt"})) std::filesystem::remove(name);
  EXPECT_EQ(files.closeFile(1), std::generic_category().message(ENOENT));
  EXPECT_EQ(readWholeFile("report.txt"), "earlier run\r\n");

  // A file the user made read-only is not replaced behind their back.
  std::filesystem::permissions("report.txt", std::filesystem::perms::owner_read);
  std::string error;
  if (::geteuid() != 0) {
    EXPECT_FALSE(files.openFile("report.txt", FileMode::replacement, 1, &error));
    EXPECT_EQ(error, std::generic_category().message(EACCES));
  }
}

TEST(FileTable, AFailedWriteIsReportedWhenTheFileIsClosed) {
  testing::ScopedTempDir dir;
  FileTable files;
  ASSERT_TRUE(files.openFile("big.txt", FileMode::output, 1));
  {
    const testing::ScopedFileSizeLimit limit(1000);
    files.printLine(1, std::string(100000, 'x'));
    EXPECT_EQ(files.closeFile(1), std::generic_category().message(EFBIG));
  }
}

TEST(FileTable, OpensNothingButARegularFileOfThatName) {
  testing::ScopedTempDir dir;
  writeWholeFile("target.txt", "precious");
  std::filesystem::create_symlink("target.txt", "link.txt");
  std::filesystem::create_symlink("/dev/null", "device.txt");
  std::filesystem::create_symlink("missing.txt", "dangling.txt");
  std::filesystem::create_directory("folder.txt");
  ASSERT_EQ(::mkfifo("fifo.txt", 0600), 0);
  struct Case {
    std::string name;
    std::string reason;
  } const cases[] = {
      {"link.txt", "is a symbolic link"},     {"device.txt", "is a symbolic link"},
      {"dangling.txt", "is a symbolic link"}, {"fifo.txt", "is not a regular file"},
      {"/dev/null", "is not a regular file"},
  };
  FileTable files;
  for (const auto& c : cases) {
    for (const FileMode mode : {FileMode::input, FileMode::output, FileMode::replacement}) {
      SCOPED_TRACE(c.name + (mode == FileMode::input ? " read" : " written"));
      std::string error;
      // A FIFO must be refused at once, not waited on until somebody opens its other end.
      EXPECT_FALSE(files.openFile(c.name, mode, 1, &error));
      EXPECT_EQ(error, c.reason);
      EXPECT_EQ(files.freeFileNumber(), 1);
    }
  }
  std::string error;
  EXPECT_FALSE(files.openFile("folder.txt", FileMode::output, 1, &error));
  EXPECT_FALSE(files.openFile("folder.txt", FileMode::input, 1, &error));
  EXPECT_EQ(readWholeFile("target.txt"), "precious");
  EXPECT_FALSE(std::filesystem::exists("missing.txt"));
}
#endif

}  // namespace
}  // namespace sumquill
