#include "formula/formula_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/records.h"

namespace sumquill {
namespace {

RunSettings settingsFor(std::string_view tableType, std::string_view separator) {
  return {"1250", std::string(separator), std::string(tableType)};
}

/// The table of the worked example: groups in B, values in C, rows 2 to 20, free from E.
CellParameters workedCells() { return {"B", "C", 2, "2", 20, "E"}; }

TEST(FormulaPlan, WorkedExampleInBothDialects) {
  struct Case {
    std::string_view target;
    StepPlacement placement;
    std::string_view excel;
    std::string_view libreOffice;
  } const steps[] = {
      {"E2", StepPlacement::atCell, "=SUMIF(B:B,B2,C:C)", "=SUMIF(B$2:B$20;B2;C$2:C$20)"},
      {"F2", StepPlacement::atCell, "=COUNTIF(B$2:B2,B2)", "=COUNTIF(B$2:B2;B2)"},
      {"G2", StepPlacement::atCell, R"(=IF(F2=1,E2,""))", R"(=IF(F2=1;E2;""))"},
      {"H2", StepPlacement::atCell, "=COUNT(G$2:G2)", "=COUNT(G$2:G2)"},
      {"I2", StepPlacement::atCell, "=B2", "=B2"},
      {"J2", StepPlacement::atCell, "=G2", "=G2"},
      {"K", StepPlacement::belowTable, "=ROW()-COUNT(H:H)-(2-1)", "=ROW()-COUNT(H:H)-(2-1)"},
      {"L", StepPlacement::belowTable,
       R"(=IF(VLOOKUP((ROW()-COUNT(H:H)-(2-1)),H:J,2,FALSE())<>"","SUMIF(B="&VLOOKUP((ROW()-COUNT(H:H)-(2-1)),H:J,2,FALSE())&","&"C"&")=",""))",
       R"(=IF(VLOOKUP((ROW()-COUNT(H:H)-(2-1));H:J;2;FALSE())<>"";"SUMIF(B="&VLOOKUP((ROW()-COUNT(H:H)-(2-1));H:J;2;FALSE())&";"&"C"&")=";""))"},
      {"M", StepPlacement::belowTable, "=VLOOKUP((ROW()-COUNT(H:H)-(2-1)),H:J,3,FALSE())",
       "=VLOOKUP((ROW()-COUNT(H:H)-(2-1));H:J;3;FALSE())"},
  };
  const RunSettings excel = settingsFor(kMsExcel, ",");
  const RunSettings libreOffice = settingsFor(kLibreOffice, ";");
  CellParameters lowerCase = workedCells();
  lowerCase.groupColumn = "b";
  lowerCase.dataColumn = "c";
  lowerCase.freeColumn = "e";
  for (int k = 1; k <= kStepCount; ++k) {
    SCOPED_TRACE(k);
    const Case& expected = steps[k - 1];
    for (const auto& cells : {workedCells(), lowerCase}) {
      const FormulaStep step = buildFormulaStep(k, excel, cells);
      EXPECT_EQ(step.stepNumber, k);
      EXPECT_EQ(step.formulaText, expected.excel);
      EXPECT_EQ(step.target, expected.target);
      EXPECT_EQ(step.placement, expected.placement);
      EXPECT_EQ(buildFormulaStep(k, libreOffice, cells).formulaText, expected.libreOffice);
    }
  }
}

/// Every step of a plan, by step number; index 0 stays empty.
std::vector<FormulaStep> planOf(const RunSettings& settings, const CellParameters& cells) {
  std::vector<FormulaStep> plan(kStepCount + 1);
  for (int k = 1; k <= kStepCount; ++k) plan[k] = buildFormulaStep(k, settings, cells);
  return plan;
}

TEST(FormulaPlan, StartRowIsUsedAsTypedEvenBelowTwo) {
  const RunSettings excel = settingsFor(kMsExcel, ",");
  CellParameters cells = workedCells();
  cells.startRow = 1;
  cells.startRowText = "1";
  auto plan = planOf(excel, cells);
  EXPECT_EQ(plan[1].target, "E1");
  EXPECT_EQ(plan[7].formulaText, "=ROW()-COUNT(H:H)-(1-1)");

  cells.startRow = -3;
  cells.startRowText = "-3";
  plan = planOf(excel, cells);
  EXPECT_EQ(plan[1].target, "E-3");
  EXPECT_EQ(plan[5].formulaText, "=B-3");
  EXPECT_EQ(plan[7].formulaText, "=ROW()-COUNT(H:H)-(-3-1)");
}

TEST(FormulaPlan, FreeColumnsCrossingIntoTwoLetters) {
  const RunSettings excel = settingsFor(kMsExcel, ",");
  struct Case {
    std::string_view free;
    std::string_view targets[kStepCount];
    std::string_view step4;
    std::string_view step9;
  } const cases[] = {
      {"Z",
       {"Z2", "AA2", "AB2", "AC2", "AD2", "AE2", "AF", "AG", "AH"},
       "=COUNT(AB$2:AB2)",
       "=VLOOKUP((ROW()-COUNT(AC:AC)-(2-1)),AC:AE,3,FALSE())"},
      {"AV",
       {"AV2", "AW2", "AX2", "AY2", "AZ2", "BA2", "BB", "BC", "BD"},
       "=COUNT(AX$2:AX2)",
       "=VLOOKUP((ROW()-COUNT(AY:AY)-(2-1)),AY:BA,3,FALSE())"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.free);
    CellParameters cells = workedCells();
    cells.freeColumn = c.free;
    const auto plan = planOf(excel, cells);
    for (int k = 1; k <= kStepCount; ++k) EXPECT_EQ(plan[k].target, c.targets[k - 1]) << k;
    EXPECT_EQ(plan[4].formulaText, c.step4);
    EXPECT_EQ(plan[9].formulaText, c.step9);
  }
}

TEST(FormulaPlan, TypedTextGoesIntoTheFormulasUnchangedButUpperCased) {
  const RunSettings excel = settingsFor(kMsExcel, ",");
  CellParameters cells = workedCells();
  cells.freeColumn = "E ";  // a trailing blank does not move the columns...
  auto plan = planOf(excel, cells);
  EXPECT_EQ(plan[1].target, "E2");
  EXPECT_EQ(plan[9].target, "M");
  EXPECT_EQ(plan[3].formulaText, R"(=IF(F2=1,E 2,""))");  // ...but stays in step 3

  cells = workedCells();
  cells.groupColumn = " b";
  cells.dataColumn = "\xE4x";  // only a to z are upper-cased
  plan = planOf(excel, cells);
  EXPECT_EQ(plan[1].formulaText, "=SUMIF( B: B, B2,\xE4X:\xE4X)");
  EXPECT_NE(plan[8].formulaText.find(R"("SUMIF( B=")"), std::string::npos);
  EXPECT_NE(plan[8].formulaText.find("\"\xE4X\""), std::string::npos);
  for (int k = 1; k <= kStepCount; ++k) {
    EXPECT_EQ(plan[k].formulaText.front(), '=');
    EXPECT_EQ(plan[k].formulaText.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos);
  }
}

TEST(FormulaPlan, EndRowOnlyCountsForLibreOffice) {
  CellParameters cells = workedCells();
  cells.endRow = 0;
  EXPECT_EQ(buildFormulaStep(1, settingsFor(kLibreOffice, ";"), cells).formulaText,
            "=SUMIF(B$2:B$0;B2;C$2:C$0)");
  // Any table type but the exact text "libreoffice" is MS Excel; the separator is independent.
  for (const std::string_view type :
       {kMsExcel, std::string_view("LibreOffice"), std::string_view()}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(buildFormulaStep(1, settingsFor(type, ";"), cells).formulaText, "=SUMIF(B:B;B2;C:C)");
  }
  EXPECT_EQ(buildFormulaStep(1, settingsFor(kLibreOffice, ","), workedCells()).formulaText,
            "=SUMIF(B$2:B$20,B2,C$2:C$20)");
}

}  // namespace
}  // namespace sumquill
