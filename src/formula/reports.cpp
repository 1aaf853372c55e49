#include "formula/reports.h"

#include <initializer_list>
#include <utility>

#include "console/console.h"
#include "formula/formula_plan.h"
#include "run/identity.h"
#include "run/records.h"

namespace sumquill {

namespace {

constexpr std::string_view kFilesAnnounced = "Output files = qzr_sumif.txt, qzr_sumif.htm";
constexpr std::string_view kTitle = "Sumquill";
constexpr std::string_view kSubtitle =
    "Program for creating sumif() formulas in MS Excel compatible tables";
constexpr std::string_view kSponsoredBy = "Sponsored by:     ";
constexpr std::string_view kGroupLabel = "Column name for creating group    = ";
constexpr std::string_view kStartRowLabel = "Row number start with data cell   = ";
constexpr std::string_view kEndRowLabel = "Row number end  with data cell   = ";
constexpr std::string_view kFreeLabel = "Column name start with free area  = ";
constexpr std::string_view kStepRule = "--------------------";
constexpr std::string_view kBreak = "<br>";

std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const auto part : parts) text.append(part);
  return text;
}

/// A report that could not be created keeps number 0 and its reason.
FileNumber createReport(FileTable& files, std::string_view name, std::string& failure) {
  std::string reason;
  const FileNumber number = files.freeFileNumber();
  if (files.openFile(name, FileMode::replacement, number, &reason)) return number;
  failure = "could not be created: " + reason;
  return 0;
}

void closeReport(FileTable& files, FileNumber number, std::string& failure) {
  const std::string reason = files.closeFile(number);
  if (!reason.empty() && failure.empty()) failure = "could not be written: " + reason;
}

std::string firstInstruction(const FormulaStep& step, std::string_view target) {
  if (step.placement == StepPlacement::atCell) {
    return joined({"Copy formula in cell ", target, "."});
  }
  return joined(
      {"Copy formula in column ", target, " in the firs free row at the end of the table."});
}

std::string_view secondInstruction(const FormulaStep& step) {
  if (step.placement == StepPlacement::atCell) {
    return "Then copy formula from these cell by the end of the table.";
  }
  return "Then copy formula from these cell to the next cells in column until formula dos not "
         "indicate an error.";
}

void writeTextHeader(FileTable& files, FileNumber out, const ProgramIdentity& identity,
                     const RunSettings& settings, const CellParameters& cells) {
  files.printLine(out, " ");
  files.printLine(out, kTitle);
  files.printLine(out, kSubtitle);
  files.printLine(out, " ");
  files.printLine(out, "Program name: " + identity.programName);
  files.printLine(out, joined({"More information: ", kMakerAddress}));
  if (!identity.sponsorAddress.empty()) {
    files.printLine(out, joined({kSponsoredBy, identity.sponsorAddress}));
  }
  files.printLine(out, " ");
  files.printLine(out, joined({kGroupLabel, cells.groupColumn}));
  files.printLine(out, "Column name       with data         = " + cells.dataColumn);
  files.printText(out, kStartRowLabel);
  files.printInteger(out, cells.startRow);
  if (settings.tableType == kLibreOffice) {
    files.printText(out, kEndRowLabel);
    files.printInteger(out, cells.endRow);
  }
  files.printLine(out, joined({kFreeLabel, cells.freeColumn}));
  files.printLine(out, " ");
}

void writeHtmlHeader(FileTable& files, FileNumber out, const ProgramIdentity& identity,
                     const RunSettings& settings, const CellParameters& cells) {
  const auto line = [&](std::string_view text) { files.printLine(out, text); };
  line("<html>");
  line("<body>");
  line(kTitle);
  line(kBreak);
  line(kSubtitle);
  line(kBreak);
  line("Program name: " + identity.programName);
  line(kBreak);
  line(kBreak);
  line(joined({"<a href=\"", kMakerUrl, "\">More information: ", kMakerAddress, "</a>"}));
  if (!identity.sponsorAddress.empty()) {
    line(kBreak);
    line(joined({"<a href=\"http://", identity.sponsorAddress, "\">", kSponsoredBy,
                 identity.sponsorAddress, "</a>"}));
  }
  line(kBreak);
  line(kBreak);
  line(joined({kGroupLabel, htmlEscaped(cells.groupColumn)}));
  line(kBreak);
  line("Column name      with data        = " + htmlEscaped(cells.dataColumn));
  line(kBreak);
  files.printText(out, kStartRowLabel);
  files.printInteger(out, cells.startRow);
  line(kBreak);
  if (settings.tableType == kLibreOffice) {
    files.printText(out, kEndRowLabel);
    files.printInteger(out, cells.endRow);
    line(kBreak);
  }
  line(joined({kFreeLabel, htmlEscaped(cells.freeColumn)}));
  line(kBreak);
}

}  // namespace

std::string htmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

void openReports(Console& console, FileTable& files, ReportPair& reports) {
  reports.textReport = createReport(files, kTextReportName, reports.textFailure);
  reports.htmlReport = createReport(files, kHtmlReportName, reports.htmlFailure);
  console.printLine(kFilesAnnounced);
  console.printBlankLine();
}

void writeReportHeaders(FileTable& files, const ReportPair& reports,
                        const ProgramIdentity& identity, const RunSettings& settings,
                        const CellParameters& cells) {
  writeTextHeader(files, reports.textReport, identity, settings, cells);
  writeHtmlHeader(files, reports.htmlReport, identity, settings, cells);
}

void writeStep(FileTable& files, const ReportPair& reports, const FormulaStep& step) {
  const std::string stepLine = "step = " + std::to_string(step.stepNumber);

  const FileNumber text = reports.textReport;
  files.printLine(text, " ");
  files.printLine(text, kStepRule);
  files.printLine(text, stepLine);
  files.printLine(text, " ");
  files.printLine(text, step.formulaText);
  files.printLine(text, firstInstruction(step, step.target));
  files.printLine(text, secondInstruction(step));

  const FileNumber html = reports.htmlReport;
  for (const std::string_view line :
       {kBreak, kStepRule, kBreak, std::string_view(stepLine), kBreak}) {
    files.printLine(html, line);
  }
  files.printLine(html, htmlEscaped(step.formulaText));
  files.printLine(html, kBreak);
  files.printLine(html, firstInstruction(step, htmlEscaped(step.target)));
  files.printLine(html, kBreak);
  files.printLine(html, secondInstruction(step));
  files.printLine(html, kBreak);
}

bool closeReports(Console& console, FileTable& files, ReportPair& reports) {
  closeReport(files, reports.textReport, reports.textFailure);
  for (const std::string_view line :
       {kBreak, kBreak, std::string_view("</body>"), std::string_view("</html>")}) {
    files.printLine(reports.htmlReport, line);
  }
  closeReport(files, reports.htmlReport, reports.htmlFailure);
  reports.textReport = 0;
  reports.htmlReport = 0;

  console.printBlankLine();
  console.printLine("--------------------------------");
  console.printLine(kFilesAnnounced);
  console.printBlankLine();

  // The closing lines name both reports whatever happened; what went wrong follows them, apart.
  bool written = true;
  for (const auto& [name, failure] : {std::pair{kTextReportName, &reports.textFailure},
                                      std::pair{kHtmlReportName, &reports.htmlFailure}}) {
    if (failure->empty()) continue;
    console.printError(joined({"sumquill: ", name, " ", *failure}));
    written = false;
  }
  return written;
}

}  // namespace sumquill
