#include "startup/banner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "run/run_flow.h"
#include "support/dialogue.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

const std::string kRule(58, '=');

struct StartupFixture : ::testing::Test, testing::Dialogue {};

TEST_F(StartupFixture, BannerNamesTheSponsorOnlyWhenTheSourceNameHasOne) {
  struct Case {
    std::string_view source;
    std::string expected;
  } const cases[] = {
      {kSourceName, "www.sponsor.example\r\n" + kRule +
                        "\r\n"
                        "\r\n"
                        "Sumquill\r\n"
                        "Program for creating sumif() formulas in MS Excel compatible tables\r\n"
                        "\r\n"
                        "Program name: qzr_sumif_www.sponsor.example.exe\r\n"
                        "\r\n"
                        "More information: www.sumquill.example\r\n"
                        "Sponsored by:     www.sponsor.example\r\n" +
                        kRule + "\r\n"},
      {"qzr_sumif_plain.cpp",
       kRule +
           "\r\n"
           "\r\n"
           "Sumquill\r\n"
           "Program for creating sumif() formulas in MS Excel compatible tables\r\n"
           "\r\n"
           "Program name: qzr_sumif_plain.exe\r\n"
           "\r\n"
           "More information: www.sumquill.example\r\n" +
           kRule + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    showBanner(console, deriveIdentity(c.source));
    EXPECT_EQ(terminal.takeOutput(), c.expected);
  }
}

const std::string kWarning =
    "\r\n"
    "--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------\r\n"
    "\r\n"
    "Program must run in separate directory.\r\n"
    "During execution it will delete most *.txt, and other files.\r\n"
    "\r\n"
    "----------------------------------------------------------\r\n"
    "\r\n"
    "<1> yes and continue\r\n"
    "<2> no  and end\r\n";

TEST_F(StartupFixture, WarningSwallowsUnlistedKeysAndGoesOnAfterOneBlankLine) {
  terminal.type("x3<up><esc>0<f1>1");
  confirmSeparateDirectory(console);
  EXPECT_EQ(terminal.output(), kWarning + "\r\n");
  EXPECT_EQ(terminal.pendingKeys(), 0u);
}

TEST_F(StartupFixture, WarningKeyTwoEndsAtOnceWithoutAnotherLine) {
  terminal.type("92");
  EXPECT_EQ(testing::endStatusOf([&] { confirmSeparateDirectory(console); }), kExitSuccess);
  EXPECT_EQ(terminal.output(), kWarning);
}

// Ending at the warning must leave the folder exactly as the user had it.
TEST(StartupRun, KeyTwoAtTheWarningWritesNoFileAndRunsNoCommand) {
  testing::ScopedTempDir dir;
  ScriptedTerminal terminal;
  testing::RecordingShell shell;
  terminal.type("2");
  EXPECT_EQ(runProgram(terminal, shell), kExitSuccess);
  EXPECT_TRUE(shell.commands.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(terminal.output().ends_with(kWarning)) << terminal.output();
}

}  // namespace
}  // namespace sumquill
