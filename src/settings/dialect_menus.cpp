#include "settings/dialect_menus.h"

#include "console/console.h"
#include "run/records.h"

namespace sumquill {

void selectArgumentSeparator(Console& console, RunSettings& settings) {
  // The shown line names the decimal separator picked; the field keeps the argument separator
  // that goes with it.
  const auto decimal = [&console, &settings](std::string_view key, std::string_view separator,
                                             std::string_view shown) {
    return MenuKey{key, [&console, &settings, separator, shown] {
                     console.printBlankLine();
                     settings.argumentSeparator = std::string(separator);
                     console.printLine(shown);
                     return MenuAction::leave;
                   }};
  };
  console.keyMenu(
      {"", "Select decimal separator", "", "1 decimal separator = . ", "2 decimal separator = , "},
      {decimal("1", ",", "(1) decimal separator = . "),
       decimal("2", ";", "(2) decimal separator = , ")});
}

void selectTableType(Console& console, RunSettings& settings) {
  const auto type = [&console, &settings](std::string_view key, std::string_view value) {
    return MenuKey{key, [&console, &settings, value] {
                     console.printBlankLine();
                     settings.tableType = std::string(value);
                     console.printText("table type = ");
                     console.printLine(settings.tableType);
                     return MenuAction::leave;
                   }};
  };
  console.printLine("----- selecting table type -----");
  console.printBlankLine();
  console.keyMenu({"", "MS Excel formulas <> LibreOffice formulas", "", "1 MS Excel    table",
                   "2 LibreOffice table"},
                  {type("1", kMsExcel), type("2", kLibreOffice)});
  console.printBlankLine();
  console.printLine("----- selecting cells for sumif() -----");
}

}  // namespace sumquill
