#include "formula/cell_parameters.h"

#include "run/records.h"

namespace sumquill {

void enterCellParameters(Console&, const RunSettings&, CellParameters&) {}

}  // namespace sumquill
