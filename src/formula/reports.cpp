#include "formula/reports.h"

#include "formula/formula_plan.h"

namespace sumquill {

void openReports(Console&, FileTable&, ReportPair&) {}

void writeReportHeaders(FileTable&, const ReportPair&, const ProgramIdentity&, const RunSettings&,
                        const CellParameters&) {}

void writeStep(FileTable&, const ReportPair&, const FormulaStep&) {}

bool closeReports(Console&, FileTable&, ReportPair&) { return true; }

}  // namespace sumquill
