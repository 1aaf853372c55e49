#include "formula/formula_plan.h"

#include <cstdint>

#include "console/ascii.h"
#include "formula/column_names.h"
#include "run/records.h"

namespace sumquill {

namespace {

constexpr std::string_view kQuote = "\"";
/// Steps up to this one are pasted on the first data row; the rest under the table.
constexpr int kLastStepAtCell = 6;

/// The values a formula is joined from, named as they appear in the formulas.
struct Pieces {
  std::string group;      // group column, as typed
  std::string data;       // data column, as typed
  std::string free;       // free column, as typed
  std::string start;      // first data row
  std::string end;        // last data row
  std::string separator;  // argument separator
  std::int32_t freeNumber;

  std::string col(int offset) const { return columnNumberToName(freeNumber + offset); }
  /// The n-th column of the found summary row: the step 4 column holds the running group
  /// number searched for, the step 6 column the group total.
  std::string lookup(std::string_view column) const {
    const std::string ncol = col(3);
    return "vlookup((row()-count(" + ncol + ":" + ncol + ")-(" + start + "-1))" + separator + ncol +
           ":" + col(5) + separator + std::string(column) + separator + "false())";
  }
};

Pieces piecesOf(const RunSettings& settings, const CellParameters& cells) {
  return {cells.groupColumn,
          cells.dataColumn,
          cells.freeColumn,
          cells.startRowText,
          std::to_string(cells.endRow),
          settings.argumentSeparator,
          columnNameToNumber(cells.freeColumn)};
}

std::string sumOfGroup(const Pieces& p, bool libreOffice) {
  if (libreOffice) {
    return "=sumif(" + p.group + "$" + p.start + ":" + p.group + "$" + p.end + p.separator +
           p.group + p.start + p.separator + p.data + "$" + p.start + ":" + p.data + "$" + p.end +
           ")";
  }
  return "=sumif(" + p.group + ":" + p.group + p.separator + p.group + p.start + p.separator +
         p.data + ":" + p.data + ")";
}

std::string summaryCaption(const Pieces& p) {
  const std::string q(kQuote);
  const std::string found = p.lookup("2");
  return "=if(" + found + "<>" + q + q + p.separator + q + "sumif(" + p.group + "=" + q + "&" +
         found + "&" + q + p.separator + q + "&" + q + p.data + q + "&" + q + ")=" + q +
         p.separator + q + q + ")";
}

std::string joinedFormula(int stepNumber, const Pieces& p, bool libreOffice) {
  const std::string q(kQuote);
  switch (stepNumber) {
    case 1:
      return sumOfGroup(p, libreOffice);
    case 2:
      return "=countif(" + p.group + "$" + p.start + ":" + p.group + p.start + p.separator +
             p.group + p.start + ")";
    case 3:
      // The first row's total is read from the free column as typed, not from its letters.
      return "=if(" + p.col(1) + p.start + "=1" + p.separator + p.free + p.start + p.separator + q +
             q + ")";
    case 4:
      return "=count(" + p.col(2) + "$" + p.start + ":" + p.col(2) + p.start + ")";
    case 5:
      return "=" + p.group + p.start;
    case 6:
      return "=" + p.col(2) + p.start;
    case 7:
      return "=row()-count(" + p.col(3) + ":" + p.col(3) + ")-(" + p.start + "-1)";
    case 8:
      return summaryCaption(p);
    case 9:
      return "=" + p.lookup("3");
    default:
      return {};
  }
}

}  // namespace

FormulaStep buildFormulaStep(int stepNumber, const RunSettings& settings,
                             const CellParameters& cells) {
  FormulaStep step;
  step.stepNumber = stepNumber;
  if (stepNumber < 1 || stepNumber > kStepCount) return step;
  const Pieces pieces = piecesOf(settings, cells);
  step.formulaText =
      upperAscii(joinedFormula(stepNumber, pieces, settings.tableType == kLibreOffice));
  step.placement =
      stepNumber <= kLastStepAtCell ? StepPlacement::atCell : StepPlacement::belowTable;
  step.target = pieces.col(stepNumber - 1);
  if (step.placement == StepPlacement::atCell) step.target += pieces.start;
  return step;
}

}  // namespace sumquill
