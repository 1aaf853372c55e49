#include "console/terminal.h"
#include "files/shell.h"
#include "run/run_flow.h"

int main() {
  const auto terminal = sumquill::makeProcessTerminal();
  const auto shell = sumquill::makeSystemShell(*terminal);
  return sumquill::runProgram(*terminal, *shell);
}
