// The run from the first banner line to the last console line, in its one fixed order.
#pragma once

#include <string_view>

#include "run/identity.h"

namespace sumquill {

class Terminal;
class Shell;

/// Runs the whole dialogue and returns the exit status of the run.
int runProgram(Terminal& terminal, Shell& shell, std::string_view sourceName = kSourceName);

}  // namespace sumquill
