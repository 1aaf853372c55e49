// Commands of the Windows command interpreter, as the program sends them. On Windows the real
// cmd.exe runs them; elsewhere the program's own interpreter does. Nothing reaches /bin/sh.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace sumquill {

class Terminal;

class Shell {
 public:
  virtual ~Shell() = default;
  /// Runs a non-empty command line in the working directory, waits for its end and returns its
  /// exit status. What it prints without a redirection goes to the console.
  virtual int run(const std::string& commandLine) = 0;
};

/// -1 for an empty command line, which runs nothing; otherwise the command's exit status.
int runShellCommand(Shell& shell, std::string_view commandLine);

/// The command interpreter of this platform, writing its console output through `terminal`.
std::unique_ptr<Shell> makeSystemShell(Terminal& terminal);

}  // namespace sumquill
