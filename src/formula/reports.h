// The two reports, qzr_sumif.txt and qzr_sumif.htm: same content, plain text and HTML.
#pragma once

#include <string>

#include "files/file_table.h"

namespace sumquill {

class Console;
struct ProgramIdentity;
struct RunSettings;
struct CellParameters;
struct FormulaStep;

struct ReportPair {
  FileNumber textReport = 0;
  FileNumber htmlReport = 0;
};

/// Creates both reports and announces them on the console.
void openReports(Console& console, FileTable& files, ReportPair& reports);
void writeReportHeaders(FileTable& files, const ReportPair& reports,
                        const ProgramIdentity& identity, const RunSettings& settings,
                        const CellParameters& cells);
void writeStep(FileTable& files, const ReportPair& reports, const FormulaStep& step);
/// Ends and closes both reports and prints the closing console lines. False when a report could
/// not be written; the reason has then been written to standard error.
bool closeReports(Console& console, FileTable& files, ReportPair& reports);

}  // namespace sumquill
