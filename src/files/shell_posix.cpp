#include <string_view>

#include "console/terminal.h"
#include "files/interpreter/command_interpreter.h"
#include "files/shell.h"

namespace sumquill {

std::unique_ptr<Shell> makeSystemShell(Terminal& terminal) {
  // A request to end the program stops a long deletion or listing where it is.
  return std::make_unique<CommandInterpreter>(
      [&terminal](std::string_view bytes) { terminal.write(bytes); },
      [&terminal] { return terminal.endingSignal() != 0; });
}

}  // namespace sumquill
