#include "files/interpreter/command_interpreter.h"

#include "files/interpreter/listing.h"
#include "files/interpreter/session.h"

namespace sumquill {

CommandInterpreter::CommandInterpreter(std::function<void(std::string_view)> console,
                                       std::function<bool()> interrupted)
    : console_(std::move(console)), interrupted_(std::move(interrupted)) {}

int CommandInterpreter::run(const std::string& commandLine) {
  const interpreter::Streams console{console_, console_};
  interpreter::Session session(codePage_, interrupted_);
  return session.execute(commandLine, console, 0, {});
}

std::string_view CommandInterpreter::toolContent(std::string_view name) {
  return interpreter::toolContent(name);
}

}  // namespace sumquill
