#include "startup/banner.h"

#include "console/console.h"

namespace sumquill {

void showBanner(Console&, const ProgramIdentity&) {}

void confirmSeparateDirectory(Console&) {}

}  // namespace sumquill
