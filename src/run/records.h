// The records the screens share for the whole run; each field is written once, by the screen
// that asks for it, and read by the screens after it.
#pragma once

#include <cstdint>
#include <string>

namespace sumquill {

/// The dialect whose end row and first formula differ; any other value behaves as MS Excel.
inline constexpr std::string_view kLibreOffice = "libreoffice";
inline constexpr std::string_view kMsExcel = "ms excel";

struct RunSettings {
  std::string codePage;           ///< Digits of the chosen code page, for "chcp ".
  std::string argumentSeparator;  ///< "," or ";", between formula arguments.
  std::string tableType;          ///< "ms excel" or "libreoffice".
};

struct CellParameters {
  std::string groupColumn;  ///< As typed: not trimmed, not upper-cased.
  std::string dataColumn;   ///< As typed.
  std::int32_t startRow = 0;
  std::string startRowText;  ///< `startRow` in plain decimal, "-" when negative, no blank.
  std::int32_t endRow = 0;   ///< Asked for "libreoffice" only.
  std::string freeColumn;    ///< As typed; the nine formulas start in this column.
};

}  // namespace sumquill
