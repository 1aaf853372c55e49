#include "console/terminal.h"
#include "files/shell.h"
#include "run/command_line.h"
#include "run/run_flow.h"

int main(int argc, char** argv) {
  // Before the terminal exists: making it changes the terminal's mode, and an argument stops the
  // program before anything of the kind happens.
  const auto command = sumquill::readCommandLine(argc, argv);
  if (!command.runDialogue) return sumquill::writeCommandLineAnswer(command, stdout, stderr);
  const auto terminal = sumquill::makeProcessTerminal();
  const auto shell = sumquill::makeSystemShell(*terminal);
  return sumquill::runProgram(*terminal, *shell);
}
