// The two reports, qzr_sumif.txt and qzr_sumif.htm: same content, plain text and HTML.
#pragma once

#include <string>
#include <string_view>

#include "files/file_table.h"

namespace sumquill {

class Console;
struct ProgramIdentity;
struct RunSettings;
struct CellParameters;
struct FormulaStep;

inline constexpr std::string_view kTextReportName = "qzr_sumif.txt";
inline constexpr std::string_view kHtmlReportName = "qzr_sumif.htm";

struct ReportPair {
  /// 0 while the report is not open, so that lines meant for it go nowhere, even when the other
  /// report was given the number its failed open left free.
  FileNumber textReport = 0;
  FileNumber htmlReport = 0;
  /// Why the report was not written whole ("could not be created: ..."); empty while all is well.
  std::string textFailure;
  std::string htmlFailure;
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

/// The text with & < > " written as HTML character references, so a browser shows it as is.
std::string htmlEscaped(std::string_view text);

}  // namespace sumquill
