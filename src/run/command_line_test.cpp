#include "run/command_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "run/version.h"

namespace sumquill {
namespace {

CommandLineAnswer read(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "sumquill");
  return readCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(ReadCommandLine, NoArgumentRunsTheDialogue) {
  EXPECT_TRUE(read({}).runDialogue);
  // A program started with an empty argument vector has not even its own name.
  EXPECT_TRUE(readCommandLine(0, nullptr).runDialogue);
}

TEST(ReadCommandLine, AnswersEachArgumentWithoutTheDialogue) {
  const std::string usage = firstLine(read({"--help"}).out);
  const std::string version = "sumquill " + std::string(kVersion);
  struct Case {
    std::vector<const char*> arguments;
    std::string outFirstLine;  // empty: nothing on standard output
    const char* named;         // the argument as the error line names it; null: no error
  } const cases[] = {
      {{"--help"}, usage, nullptr},
      {{"-h"}, usage, nullptr},
      {{"/?"}, usage, nullptr},
      {{"--version"}, version, nullptr},
      {{"--version", "--help"}, version, nullptr},
      {{"--bogus"}, "", "--bogus"},
      {{"-"}, "", "-"},
      {{""}, "", ""},
      // Near misses of the known ones are not taken for them.
      {{"--HELP"}, "", "--HELP"},
      {{"-?"}, "", "-?"},
      {{"--version="}, "", "--version="},
      // One unknown argument among known ones stops the run all the same, and is the one named.
      {{"--help", "x.txt"}, "", "x.txt"},
      // A control byte never reaches the terminal as it is.
      {{"\x1b[2J\t"}, "", "\\x1b[2J\\x09"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(
        ::testing::PrintToString(std::vector<std::string>(c.arguments.begin(), c.arguments.end())));
    const CommandLineAnswer answer = read(c.arguments);
    EXPECT_FALSE(answer.runDialogue);
    EXPECT_EQ(answer.status, c.named ? kExitBadArgument : 0);
    EXPECT_EQ(firstLine(answer.out), c.outFirstLine);
    EXPECT_EQ(answer.err, c.named ? "sumquill: unknown argument \"" + std::string(c.named) +
                                        "\"; sumquill --help lists the arguments\n"
                                  : "");
  }
}

TEST(ReadCommandLine, UsageTellsWhatARunDoesToItsFolder) {
  const std::string usage = read({"--help"}).out;
  for (const char* needle : {"--version", "qzr_sumif.txt", "qzr_sumif.htm", "folder of its own",
                             "check_*.txt", "status 1"}) {
    SCOPED_TRACE(needle);
    EXPECT_NE(usage.find(needle), std::string::npos);
  }
  // Fits a console of 80 columns, where a line of all 80 would leave an empty row after it.
  for (std::size_t start = 0, end; start < usage.size(); start = end + 1) {
    end = usage.find('\n', start);
    EXPECT_LE(end - start, 79u) << usage.substr(start, end - start);
  }
}

TEST(ReadCommandLine, VersionComesFromTheBuild) {
  // Three numbers, as project() gives them and the packages and resources take them.
  EXPECT_TRUE(std::regex_match(std::string(kVersion), std::regex(R"(\d+\.\d+\.\d+)"))) << kVersion;
}

}  // namespace
}  // namespace sumquill
