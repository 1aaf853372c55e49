#include "settings/dialect_menus.h"

#include <gtest/gtest.h>

#include "console/console.h"
#include "files/file_table.h"
#include "run/records.h"
#include "support/dialogue.h"

namespace sumquill {
namespace {

constexpr std::string_view kSeparatorOptions =
    "\r\n"
    "Select decimal separator\r\n"
    "\r\n"
    "1 decimal separator = . \r\n"
    "2 decimal separator = , \r\n";

constexpr std::string_view kTableTypeOptions =
    "----- selecting table type -----\r\n"
    "\r\n"
    "\r\n"
    "MS Excel formulas <> LibreOffice formulas\r\n"
    "\r\n"
    "1 MS Excel    table\r\n"
    "2 LibreOffice table\r\n";

TEST(DialectMenus, EveryCombinationWithIgnoredKeysBeforeEachChoice) {
  struct Case {
    std::string_view keys;
    std::string_view separator;
    std::string_view separatorLine;
    std::string_view tableType;
  } const cases[] = {
      {"11", ",", "(1) decimal separator = . ", "ms excel"},
      {"22", ";", "(2) decimal separator = , ", "libreoffice"},
      {"3x<up>19<f1>2", ",", "(1) decimal separator = . ", "libreoffice"},
      {"9<enter>2 <down>1", ";", "(2) decimal separator = , ", "ms excel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    testing::Dialogue dialogue;
    auto& [terminal, files, console] = dialogue;
    RunSettings settings;
    terminal.type(c.keys);
    selectArgumentSeparator(console, settings);
    selectTableType(console, settings);
    EXPECT_EQ(terminal.pendingKeys(), 0u);
    EXPECT_EQ(settings.argumentSeparator, c.separator);
    EXPECT_EQ(settings.tableType, c.tableType);
    EXPECT_EQ(terminal.output(),
              std::string(kSeparatorOptions) + "\r\n" + std::string(c.separatorLine) + "\r\n" +
                  std::string(kTableTypeOptions) + "\r\ntable type = " + std::string(c.tableType) +
                  "\r\n"
                  "\r\n"
                  "----- selecting cells for sumif() -----\r\n");
  }
}

}  // namespace
}  // namespace sumquill
