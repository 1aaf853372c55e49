#include "formula/cell_parameters.h"

#include <string>

#include "console/console.h"
#include "run/records.h"

namespace sumquill {

void enterCellParameters(Console& console, const RunSettings& settings, CellParameters& cells) {
  cells.groupColumn = console.linePromptText("Column name for creating groups = ");
  console.printBlankLine();
  cells.dataColumn = console.linePromptText("Column name with data (sum) = ");
  console.printBlankLine();
  console.printLine("Row number (start) with data must be row() > 1");
  cells.startRow = console.linePromptInteger("Row number (start) with data cell   = ");
  cells.startRowText = std::to_string(cells.startRow);
  if (settings.tableType == kLibreOffice) {
    console.printLine("Row number (end) with data, for LibreOffice must be given");
    cells.endRow = console.linePromptInteger("Row number   (end)  with data cell  = ");
  }
  console.printBlankLine();
  cells.freeColumn = console.linePromptText("Column name (start) with free area = ");
  console.printBlankLine();
}

}  // namespace sumquill
