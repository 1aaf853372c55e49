// The nine formulas of a per-group summary, each with where it goes and how far it is copied.
#pragma once

#include <string>

namespace sumquill {

struct RunSettings;
struct CellParameters;

inline constexpr int kStepCount = 9;

enum class StepPlacement {
  atCell,      ///< Pasted on the first data row and copied down the table.
  belowTable,  ///< Pasted in the first free row under the table and copied down past the groups.
};

struct FormulaStep {
  int stepNumber = 0;
  std::string formulaText;
  StepPlacement placement = StepPlacement::atCell;
  std::string target;  ///< A cell ("E2") for `atCell`, a column ("K") for `belowTable`.
};

/// Step 1 to 9 of the plan for the typed geometry and the chosen dialect; any other number gives
/// a step with neither formula nor target.
FormulaStep buildFormulaStep(int stepNumber, const RunSettings& settings,
                             const CellParameters& cells);

}  // namespace sumquill
