// Arbitrary typed geometry through the column-name conversions, the nine formulas and both
// reports. Every formula starts with "=" and holds no lower-case letter; the conversions match
// their arithmetic; the HTML report carries no markup but its own, and shows the formulas of the
// text report.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "console/console.h"
#include "files/file_table.h"
#include "formula/column_names.h"
#include "formula/formula_plan.h"
#include "formula/reports.h"
#include "run/identity.h"
#include "run/records.h"
#include "support/dialogue.h"
#include "support/test_support.h"

namespace {

using namespace sumquill;

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::int32_t modelNameToNumber(std::string_view name) {
  const auto first = name.find_first_not_of(' ');
  name = first == std::string_view::npos ? std::string_view{} : name.substr(first);
  name = name.substr(0, name.find_last_not_of(' ') + 1);
  const std::string up = upper(std::string(name));
  const auto code = [&](std::size_t i) { return static_cast<unsigned char>(up[i]) - 64; };
  if (up.size() == 2) return code(0) * 26 + code(1);
  return up.empty() ? -64 : code(0);
}

std::string modelNumberToName(std::int32_t n) {
  const std::int64_t q = n >= 0 ? n / 26 : -((-static_cast<std::int64_t>(n) + 25) / 26);
  const std::int64_t r = n - 26 * q;
  // Far beyond ZZ a code would pass 255; it is held there, so no huge number wraps round into
  // a plausible column name.
  const auto ch = [](std::int64_t code) {
    return std::string(1, static_cast<char>(code > 255 ? 255 : code));
  };
  if (q < 1) return ch(r + 64);
  if (n == 26) return "Z";
  if (r > 0) return ch(q + 64) + ch(r + 64);
  return ch(q + 63) + "Z";
}

void checkColumnNames(std::string_view name, std::int32_t number) {
  CHECK(columnNameToNumber(name) == modelNameToNumber(name));
  const std::string asName = columnNumberToName(number);
  CHECK(asName.size() == 1 || asName.size() == 2);
  CHECK(asName == modelNumberToName(number));
  const std::int32_t column =
      1 + static_cast<std::int32_t>(static_cast<std::uint32_t>(number) % 702);
  CHECK(columnNameToNumber(columnNumberToName(column)) == column);
}

/// A line of the HTML report's own markup. Typed text only ever stands in the other lines,
/// which must then hold no "<" at all.
bool isMarkupLine(std::string_view line) {
  for (const std::string_view tag : {"<html>", "<body>", "<br>", "</body>", "</html>"}) {
    if (line == tag) return true;
  }
  const std::string_view link = "<a href=\"", end = "</a>";
  return line.substr(0, link.size()) == link && line.size() >= end.size() &&
         line.substr(line.size() - end.size()) == end &&
         std::count(line.begin(), line.end(), '<') == 2;
}

/// "&" followed by a named or numeric character reference and its ";".
std::size_t referenceLength(std::string_view at) {
  std::size_t i = 1;
  if (i < at.size() && at[i] == '#') {
    ++i;
    while (i < at.size() && at[i] >= '0' && at[i] <= '9') ++i;
    if (i == 2) return 0;
  } else {
    while (i < at.size() && at[i] >= 'a' && at[i] <= 'z') ++i;
    if (i == 1) return 0;
  }
  return i < at.size() && at[i] == ';' ? i + 1 : 0;
}

std::string unescape(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      plain.push_back(text[i]);
      continue;
    }
    const std::size_t length = referenceLength(text.substr(i));
    CHECK(length > 0);
    const std::string_view ref = text.substr(i, length);
    if (ref == "&amp;") {
      plain.push_back('&');
    } else if (ref == "&lt;") {
      plain.push_back('<');
    } else if (ref == "&gt;") {
      plain.push_back('>');
    } else if (ref == "&quot;") {
      plain.push_back('"');
    } else if (ref[1] == '#') {
      plain.push_back(static_cast<char>(std::atoi(std::string(ref.substr(2)).c_str())));
    } else {
      CHECK(!"an unknown character reference");
    }
    i += length - 1;
  }
  return plain;
}

void checkHtmlMarkup(std::string_view html) {
  for (const auto& line : testing::linesOf(html)) {
    if (!isMarkupLine(line)) CHECK(line.find('<') == std::string::npos);
  }
  for (std::size_t i = 0; i < html.size(); ++i) {
    if (html[i] == '&') CHECK(referenceLength(html.substr(i)) > 0);
  }
}

/// The line after "step = k" and its "<br>" (HTML) or blank line (text) is the formula.
std::string formulaLine(const std::vector<std::string>& lines, int step) {
  const std::string heading = "step = " + std::to_string(step);
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i] == heading) return lines[i + 2];
  }
  CHECK(!"a step without its heading");
  return {};
}

struct Scratch {
  Scratch() {
    char pattern[] = "/tmp/sumquill_fuzz_formula_XXXXXX";
    CHECK(mkdtemp(pattern) != nullptr);
    std::filesystem::current_path(pattern);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  FuzzedDataProvider input(data, size);
  const auto typed = [&] {
    // A typed line never holds a line feed; it ends the line.
    std::string text = input.ConsumeRandomLengthString(64);
    std::erase(text, '\n');
    return text;
  };

  RunSettings settings;
  settings.argumentSeparator = input.ConsumeBool() ? "," : ";";
  settings.tableType = input.ConsumeBool() ? kLibreOffice : kMsExcel;
  CellParameters cells;
  cells.groupColumn = typed();
  cells.dataColumn = typed();
  cells.startRow = input.ConsumeIntegral<std::int32_t>();
  cells.startRowText = std::to_string(cells.startRow);
  if (settings.tableType == kLibreOffice) cells.endRow = input.ConsumeIntegral<std::int32_t>();
  cells.freeColumn = input.ConsumeRemainingBytesAsString();
  std::erase(cells.freeColumn, '\n');

  checkColumnNames(cells.freeColumn, cells.startRow);

  const std::int32_t free = columnNameToNumber(cells.freeColumn);
  std::vector<FormulaStep> steps;
  for (int k = 1; k <= kStepCount; ++k) {
    FormulaStep step = buildFormulaStep(k, settings, cells);
    CHECK(step.stepNumber == k);
    CHECK(!step.formulaText.empty() && step.formulaText[0] == '=');
    for (const char c : step.formulaText) CHECK(!(c >= 'a' && c <= 'z'));
    const std::string column = columnNumberToName(free + k - 1);
    CHECK(step.target == (k <= 6 ? column + cells.startRowText : column));
    CHECK(step.placement == (k <= 6 ? StepPlacement::atCell : StepPlacement::belowTable));
    steps.push_back(std::move(step));
  }
  CHECK(steps[4].formulaText == "=" + upper(cells.groupColumn + cells.startRowText));

  testing::Dialogue dialogue;
  auto& [terminal, files, console] = dialogue;
  ReportPair reports;
  openReports(console, files, reports);
  writeReportHeaders(files, reports, deriveIdentity(kSourceName), settings, cells);
  for (const auto& step : steps) writeStep(files, reports, step);
  closeReports(console, files, reports);

  const std::string html = testing::readWholeFile("qzr_sumif.htm");
  checkHtmlMarkup(html);
  const auto textLines = testing::linesOf(testing::readWholeFile("qzr_sumif.txt"));
  const auto htmlLines = testing::linesOf(html);
  for (int k = 1; k <= kStepCount; ++k) {
    const auto& formula = steps[static_cast<std::size_t>(k - 1)].formulaText;
    CHECK(formulaLine(textLines, k) == formula);
    CHECK(unescape(formulaLine(htmlLines, k)) == formula);
  }
  // The typed names come back in the HTML header exactly as typed, once unescaped.
  const std::string plainHtml = unescape(html);
  for (const auto* value : {&cells.groupColumn, &cells.dataColumn, &cells.freeColumn}) {
    CHECK(plainHtml.find("= " + *value + "\r\n") != std::string::npos);
  }
  return 0;
}
