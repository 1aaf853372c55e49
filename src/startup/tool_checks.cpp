#include "startup/tool_checks.h"

namespace sumquill {

void stageAndCheckTools(Console&, FileTable&, Shell&) {}

}  // namespace sumquill
