#include <cstdlib>

#include "console/terminal.h"
#include "files/shell.h"

namespace sumquill {

namespace {

// The real cmd.exe runs the command line unchanged, in this console and working directory.
// The console goes back to the user's own modes while it runs: a copy that asks before it
// overwrites reads its answer as an echoed line, which the dialogue's single-key mode would
// take away.
class SystemShell : public Shell {
 public:
  explicit SystemShell(Terminal& terminal) : terminal_(terminal) {}

  int run(const std::string& commandLine) override {
    terminal_.lendToCommand();
    const int status = std::system(commandLine.c_str());
    terminal_.reclaimFromCommand();
    return status;
  }

 private:
  Terminal& terminal_;
};

}  // namespace

std::unique_ptr<Shell> makeSystemShell(Terminal& terminal) {
  return std::make_unique<SystemShell>(terminal);
}

}  // namespace sumquill
