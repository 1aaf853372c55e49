#include "settings/code_page.h"

#include "run/records.h"

namespace sumquill {

void selectCodePage(Console&, Shell&, RunSettings& settings) { settings.codePage = "1250"; }

}  // namespace sumquill
