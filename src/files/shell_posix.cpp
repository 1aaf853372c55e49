#include <string_view>

#include "console/terminal.h"
#include "files/command_interpreter.h"
#include "files/shell.h"

namespace sumquill {

std::unique_ptr<Shell> makeSystemShell(Terminal& terminal) {
  return std::make_unique<CommandInterpreter>(
      [&terminal](std::string_view bytes) { terminal.write(bytes); });
}

}  // namespace sumquill
