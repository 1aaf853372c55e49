#include <string_view>

#include "console/console.h"
#include "console/terminal.h"
#include "files/interpreter/command_interpreter.h"
#include "files/shell.h"

namespace sumquill {

namespace {

// The program's own interpreter, in this process. A request to end the program stops a long
// deletion or listing where it is, and the run then ends right after the command, before the
// screen that ran it goes on as if it had finished.
class InterpreterShell : public Shell {
 public:
  explicit InterpreterShell(Terminal& terminal)
      : terminal_(terminal),
        interpreter_([&terminal](std::string_view bytes) { terminal.write(bytes); },
                     [&terminal] { return terminal.endingSignal() != 0; }) {}

  int run(const std::string& commandLine) override {
    const int status = interpreter_.run(commandLine);
    // The shell's convention for a process ended by a signal: 128 plus its number.
    if (const int signal = terminal_.endingSignal(); signal != 0) throw ProgramEnded{128 + signal};
    return status;
  }

 private:
  Terminal& terminal_;
  CommandInterpreter interpreter_;
};

}  // namespace

std::unique_ptr<Shell> makeSystemShell(Terminal& terminal) {
  return std::make_unique<InterpreterShell>(terminal);
}

}  // namespace sumquill
