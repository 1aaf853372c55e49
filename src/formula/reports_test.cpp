#include "formula/reports.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "console/console.h"
#include "formula/formula_plan.h"
#include "run/identity.h"
#include "run/records.h"
#include "support/dialogue.h"
#include "support/test_support.h"

namespace sumquill {
namespace {

namespace fs = std::filesystem;
using testing::linesOf;
using testing::readWholeFile;

constexpr std::string_view kOpeningLines = "Output files = qzr_sumif.txt, qzr_sumif.htm\r\n\r\n";
constexpr std::string_view kClosingLines =
    "\r\n"
    "--------------------------------\r\n"
    "Output files = qzr_sumif.txt, qzr_sumif.htm\r\n"
    "\r\n";

std::string golden(std::string_view name) {
  return readWholeFile(fs::path(SUMQUILL_FORMULA_TESTDATA) / name);
}

RunSettings settingsFor(std::string_view tableType) {
  return {"1250", tableType == kLibreOffice ? ";" : ",", std::string(tableType)};
}

struct Reports : ::testing::Test {
  testing::ScopedTempDir dir;
  testing::Dialogue dialogue;
  ScriptedTerminal& terminal = dialogue.terminal;
  FileTable& files = dialogue.files;
  Console& console = dialogue.console;
  CellParameters cells{"B", "C", 2, "2", 20, "E"};
  ProgramIdentity identity = deriveIdentity(kSourceName);

  /// Everything the run flow does with the reports, in its order. True when both were written.
  bool writeReports(const RunSettings& settings) {
    ReportPair reports;
    openReports(console, files, reports);
    writeReportHeaders(files, reports, identity, settings, cells);
    for (int k = 1; k <= kStepCount; ++k) {
      writeStep(files, reports, buildFormulaStep(k, settings, cells));
    }
    return closeReports(console, files, reports);
  }
};

TEST_F(Reports, WorkedExampleMatchesTheGoldenFilesInBothDialects) {
  // LibreOffice first: its longer reports must leave nothing behind when overwritten.
  for (const std::string_view type : {kLibreOffice, kMsExcel}) {
    SCOPED_TRACE(type);
    const std::string stem = type == kLibreOffice ? "libreoffice_semicolon" : "excel_comma";
    EXPECT_TRUE(writeReports(settingsFor(type)));
    EXPECT_EQ(readWholeFile("qzr_sumif.txt"), golden(stem + ".txt"));
    EXPECT_EQ(readWholeFile("qzr_sumif.htm"), golden(stem + ".htm"));
    EXPECT_EQ(terminal.takeOutput(), std::string(kOpeningLines) + std::string(kClosingLines));
    EXPECT_EQ(terminal.errors(), "");
  }
}

TEST_F(Reports, LineCountsFollowSponsorAndTableType) {
  struct Case {
    std::string_view source;
    std::string_view tableType;
    std::size_t textLines;
    std::size_t htmlLines;
  } const cases[] = {
      {kSourceName, kMsExcel, 76, 125},
      {"qzr_sumif_plain.cpp", kMsExcel, 75, 123},
      {kSourceName, kLibreOffice, 77, 127},
      {"qzr_sumif_plain.cpp", kLibreOffice, 76, 125},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + std::string(c.tableType));
    identity = deriveIdentity(c.source);
    writeReports(settingsFor(c.tableType));
    const std::string text = readWholeFile("qzr_sumif.txt");
    const std::string html = readWholeFile("qzr_sumif.htm");
    EXPECT_EQ(linesOf(text).size(), c.textLines);
    EXPECT_EQ(linesOf(html).size(), c.htmlLines);
    // Every line, the last included, ends in CR LF, and no line feed stands alone.
    for (const auto& report : {text, html}) {
      EXPECT_EQ(report.substr(report.size() - 2), "\r\n");
      EXPECT_EQ(std::count(report.begin(), report.end(), '\n'),
                std::count(report.begin(), report.end(), '\r'));
    }
    const bool sponsored = !identity.sponsorAddress.empty();
    EXPECT_EQ(text.find("Sponsored by:") != std::string::npos, sponsored);
    EXPECT_EQ(html.find("Sponsored by:") != std::string::npos, sponsored);
  }
}

TEST_F(Reports, HtmlShowsTypedTextAndFormulasAsTheTextReportDoes) {
  cells.groupColumn = "<b";
  cells.dataColumn = "&";
  cells.startRow = -3;
  cells.startRowText = "-3";
  cells.freeColumn = "E\"  ";
  EXPECT_TRUE(writeReports(settingsFor(kMsExcel)));
  const auto text = linesOf(readWholeFile("qzr_sumif.txt"));
  const auto html = linesOf(readWholeFile("qzr_sumif.htm"));

  EXPECT_EQ(text[8], "Column name for creating group    = <b");
  EXPECT_EQ(text[9], "Column name       with data         = &");
  EXPECT_EQ(text[10], "Row number start with data cell   = -3");
  EXPECT_EQ(text[11], "Column name start with free area  = E\"  ");
  EXPECT_EQ(html[14], "Column name for creating group    = &lt;b");
  EXPECT_EQ(html[16], "Column name      with data        = &amp;");
  EXPECT_EQ(html[18], "Row number start with data cell   = -3");
  EXPECT_EQ(html[20], "Column name start with free area  = E&quot;  ");

  // Formula lines: line 5 of each text block, line 6 of each HTML block.
  for (int k = 1; k <= kStepCount; ++k) {
    SCOPED_TRACE(k);
    const std::string& formula = text[13 + 7 * (k - 1) + 4];
    EXPECT_EQ(html[22 + 11 * (k - 1) + 5], htmlEscaped(formula));
    EXPECT_EQ(html[22 + 11 * (k - 1) + 3], "step = " + std::to_string(k));
  }
  EXPECT_EQ(text[13 + 4], "=SUMIF(<B:<B,<B-3,&:&)");
  EXPECT_EQ(html[22 + 5], "=SUMIF(&lt;B:&lt;B,&lt;B-3,&amp;:&amp;)");
  EXPECT_EQ(htmlEscaped(R"(a&<>"b&amp;)"), "a&amp;&lt;&gt;&quot;b&amp;amp;");
  // The links are the program's own markup and stay as they are.
  EXPECT_EQ(html[9].substr(0, 9), "<a href=\"");
}

TEST_F(Reports, AFolderInPlaceOfTheHtmlReportIsReportedAfterTheClosingLines) {
  fs::create_directory("qzr_sumif.htm");
  EXPECT_FALSE(writeReports(settingsFor(kMsExcel)));
  EXPECT_EQ(readWholeFile("qzr_sumif.txt"), golden("excel_comma.txt"));
  EXPECT_TRUE(fs::is_empty("qzr_sumif.htm"));
  EXPECT_EQ(terminal.output(), std::string(kOpeningLines) + std::string(kClosingLines));
  const auto errors = terminal.errors();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
  EXPECT_EQ(errors.find("sumquill: qzr_sumif.htm could not be created: "), 0u) << errors;
}

TEST_F(Reports, LinesOfAFailedTextReportDoNotLandInTheHtmlReport) {
  // The failed open leaves number 1 free, and the HTML report is created under it.
  fs::create_directory("qzr_sumif.txt");
  EXPECT_FALSE(writeReports(settingsFor(kMsExcel)));
  EXPECT_EQ(readWholeFile("qzr_sumif.htm"), golden("excel_comma.htm"));
  EXPECT_EQ(terminal.errors().find("sumquill: qzr_sumif.txt could not be created: "), 0u);
  EXPECT_EQ(terminal.errors().find("qzr_sumif.htm"), std::string::npos);
}

TEST_F(Reports, AWriteThatFailsIsReported) {
  // Room for the text report, not for the longer HTML one.
  const testing::ScopedFileSizeLimit limit(golden("excel_comma.txt").size() + 100);
  EXPECT_FALSE(writeReports(settingsFor(kMsExcel)));
  EXPECT_EQ(terminal.errors(), "sumquill: qzr_sumif.htm could not be written: " +
                                   std::generic_category().message(EFBIG) + "\n")
      << terminal.errors();
  EXPECT_EQ(readWholeFile("qzr_sumif.txt"), golden("excel_comma.txt"));
}

TEST_F(Reports, ANameThatIsNoRegularFileIsRefusedAndLeftAsItIs) {
  testing::writeWholeFile("precious.txt", "precious");
  fs::create_symlink("precious.txt", "qzr_sumif.txt");
  ASSERT_EQ(::mkfifo("qzr_sumif.htm", 0600), 0);
  EXPECT_FALSE(writeReports(settingsFor(kMsExcel)));
  EXPECT_EQ(terminal.errors(),
            "sumquill: qzr_sumif.txt could not be created: is a symbolic link\n"
            "sumquill: qzr_sumif.htm could not be created: is not a regular file\n");
  EXPECT_EQ(readWholeFile("precious.txt"), "precious");
  EXPECT_TRUE(fs::is_symlink("qzr_sumif.txt"));
  EXPECT_EQ(fs::symlink_status("qzr_sumif.htm").type(), fs::file_type::fifo);
}

}  // namespace
}  // namespace sumquill
