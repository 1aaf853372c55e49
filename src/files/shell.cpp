#include "files/shell.h"

namespace sumquill {

int runShellCommand(Shell& shell, std::string_view commandLine) {
  if (commandLine.empty()) return -1;
  return shell.run(std::string(commandLine));
}

}  // namespace sumquill
