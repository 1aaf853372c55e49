// The prompts for the table's geometry: group and data columns, rows, the free column.
#pragma once

namespace sumquill {

class Console;
struct RunSettings;
struct CellParameters;

/// Asks four values, five for "libreoffice", and stores them as typed.
void enterCellParameters(Console& console, const RunSettings& settings, CellParameters& cells);

}  // namespace sumquill
