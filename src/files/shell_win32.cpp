#include <cstdlib>

#include "files/shell.h"

namespace sumquill {

namespace {

// The real cmd.exe runs the command line unchanged, in this console and working directory.
class SystemShell : public Shell {
 public:
  int run(const std::string& commandLine) override { return std::system(commandLine.c_str()); }
};

}  // namespace

std::unique_ptr<Shell> makeSystemShell(Terminal&) { return std::make_unique<SystemShell>(); }

}  // namespace sumquill
