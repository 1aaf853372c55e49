// Copies cmd.exe, sort.exe and find.exe into the working directory and checks that each works.
#pragma once

#include <string_view>

namespace sumquill {

class Console;
class FileTable;
class Shell;

/// Returns when all three checks have passed; a failed check ends the program from its screen.
void stageAndCheckTools(Console& console, FileTable& files, Shell& shell);

}  // namespace sumquill
