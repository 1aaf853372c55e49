#include "settings/dialect_menus.h"

#include "run/records.h"

namespace sumquill {

void selectArgumentSeparator(Console&, RunSettings& settings) { settings.argumentSeparator = ","; }

void selectTableType(Console&, RunSettings& settings) { settings.tableType = "ms excel"; }

}  // namespace sumquill
