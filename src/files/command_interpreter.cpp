#include "files/command_interpreter.h"

#include <utility>

namespace sumquill {

CommandInterpreter::CommandInterpreter(std::function<void(std::string_view)> console)
    : console_(std::move(console)) {}

int CommandInterpreter::run(const std::string& commandLine) {
  // Until the commands are taught, every one is unknown, as cmd.exe reports it.
  const std::string name = commandLine.substr(0, commandLine.find(' '));
  console_("'" + name + "' is not recognized as an internal or external command,\r\n");
  console_("operable program or batch file.\r\n");
  return 1;
}

}  // namespace sumquill
