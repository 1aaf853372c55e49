#include "formula/formula_plan.h"

#include "run/records.h"

namespace sumquill {

FormulaStep buildFormulaStep(int stepNumber, const RunSettings&, const CellParameters&) {
  FormulaStep step;
  step.stepNumber = stepNumber;
  return step;
}

}  // namespace sumquill
