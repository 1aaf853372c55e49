#include "formula/cell_parameters.h"

#include <gtest/gtest.h>

#include "run/records.h"
#include "support/dialogue.h"

namespace sumquill {
namespace {

struct CellPrompts : ::testing::Test, testing::Dialogue {
  CellParameters cells;

  void enter(std::string_view tableType, std::string_view script) {
    RunSettings settings;
    settings.tableType = std::string(tableType);
    terminal.type(script);
    enterCellParameters(console, settings, cells);
    EXPECT_EQ(terminal.pendingKeys(), 0u);
  }
};

constexpr std::string_view kGroupAndDataPrompts =
    "Column name for creating groups = ? b\r\n"
    "\r\n"
    "Column name with data (sum) = ? C\r\n"
    "\r\n"
    "Row number (start) with data must be row() > 1\r\n"
    "Row number (start) with data cell   = ? ";

TEST_F(CellPrompts, MsExcelAsksFourValuesAndStoresThemAsTyped) {
  enter(kMsExcel, "b<enter>C<enter>2<enter>e <enter>");
  EXPECT_EQ(terminal.output(), std::string(kGroupAndDataPrompts) +
                                   "2\r\n"
                                   "\r\n"
                                   "Column name (start) with free area = ? e \r\n"
                                   "\r\n");
  EXPECT_EQ(cells.groupColumn, "b");
  EXPECT_EQ(cells.dataColumn, "C");
  EXPECT_EQ(cells.startRow, 2);
  EXPECT_EQ(cells.startRowText, "2");
  EXPECT_EQ(cells.endRow, 0);
  EXPECT_EQ(cells.freeColumn, "e ");
}

TEST_F(CellPrompts, LibreOfficeAlsoAsksTheEndRowRightAfterTheStartRow) {
  enter(kLibreOffice, "b<enter>C<enter>-3<enter>20<enter>E<enter>");
  EXPECT_EQ(terminal.output(), std::string(kGroupAndDataPrompts) +
                                   "-3\r\n"
                                   "Row number (end) with data, for LibreOffice must be given\r\n"
                                   "Row number   (end)  with data cell  = ? 20\r\n"
                                   "\r\n"
                                   "Column name (start) with free area = ? E\r\n"
                                   "\r\n");
  EXPECT_EQ(cells.startRow, -3);
  EXPECT_EQ(cells.startRowText, "-3");
  EXPECT_EQ(cells.endRow, 20);
}

TEST_F(CellPrompts, StartRowTextHasNoBlank) {
  struct Case {
    std::string_view typed;
    std::string_view text;
  } const cases[] = {{"0", "0"}, {"15", "15"}, {"x", "0"}, {"-2147483648", "-2147483648"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    cells = {};
    enter(kMsExcel, "B<enter>C<enter>" + std::string(c.typed) + "<enter>E<enter>");
    EXPECT_EQ(cells.startRowText, c.text);
  }
}

}  // namespace
}  // namespace sumquill
