// The two menus that fix the formulas' dialect: the argument separator and the table type.
#pragma once

namespace sumquill {

class Console;
struct RunSettings;

/// "1" (decimal separator ".") gives ",", "2" (decimal separator ",") gives ";".
void selectArgumentSeparator(Console& console, RunSettings& settings);
/// "1" gives "ms excel", "2" gives "libreoffice"; ends with the heading of the cell prompts.
void selectTableType(Console& console, RunSettings& settings);

}  // namespace sumquill
