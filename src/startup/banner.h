// The first two screens: the banner, and the warning that the program needs a folder of its own.
#pragma once

#include "run/identity.h"

namespace sumquill {

class Console;

/// The sponsor line (when there is a sponsor), then the banner between two lines of "=".
void showBanner(Console& console, const ProgramIdentity& identity);
/// Warns that files in the working directory get deleted; "1" goes on, "2" ends the program.
void confirmSeparateDirectory(Console& console);

}  // namespace sumquill
