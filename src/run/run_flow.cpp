#include "run/run_flow.h"

#include "console/console.h"
#include "files/file_table.h"
#include "formula/cell_parameters.h"
#include "formula/formula_plan.h"
#include "formula/reports.h"
#include "run/records.h"
#include "settings/code_page.h"
#include "settings/dialect_menus.h"
#include "startup/banner.h"
#include "startup/tool_checks.h"

namespace sumquill {

namespace {

[[noreturn]] void runScreens(Console& console, FileTable& files, Shell& shell,
                             std::string_view sourceName) {
  const ProgramIdentity identity = deriveIdentity(sourceName);
  RunSettings settings;
  CellParameters cells;
  ReportPair reports;

  showBanner(console, identity);
  confirmSeparateDirectory(console);
  stageAndCheckTools(console, files, shell);
  selectCodePage(console, shell, settings);
  selectArgumentSeparator(console, settings);
  selectTableType(console, settings);
  openReports(console, files, reports);
  enterCellParameters(console, settings, cells);
  writeReportHeaders(files, reports, identity, settings, cells);
  for (int step = 1; step <= kStepCount; ++step) {
    writeStep(files, reports, buildFormulaStep(step, settings, cells));
  }
  const bool written = closeReports(console, files, reports);
  console.endProgram(written ? kExitSuccess : kExitFailure);
}

}  // namespace

int runProgram(Terminal& terminal, Shell& shell, std::string_view sourceName) {
  // The run owns its files: whichever screen ends the program, they are closed first, so that
  // what was written is on disk (and a report not finished is dropped).
  FileTable files;
  Console console(terminal, [&files] { files.closeAllFiles(); });
  try {
    runScreens(console, files, shell, sourceName);
  } catch (const ProgramEnded& end) {
    return end.status;
  }
}

}  // namespace sumquill
