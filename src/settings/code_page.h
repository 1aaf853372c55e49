// The choice of the console's Windows code page, applied with "chcp".
#pragma once

namespace sumquill {

class Console;
class Shell;
struct RunSettings;

/// Lists, browses and selects a code page; sets `codePage` and runs "chcp " with it. "8" at its
/// menu ends the program.
void selectCodePage(Console& console, Shell& shell, RunSettings& settings);

}  // namespace sumquill
