// An interpreter of the Windows commands the program runs (dir, copy, del, for, sort, find,
// chcp, behind "cmd /c"), for systems that have no cmd.exe. It works in the current directory
// and answers any other command as cmd.exe answers an unknown one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "files/shell.h"

namespace sumquill {

class CommandInterpreter : public Shell {
 public:
  /// `console` receives what the commands print when it is not redirected into a file.
  explicit CommandInterpreter(std::function<void(std::string_view)> console);
  int run(const std::string& commandLine) override;

 private:
  std::function<void(std::string_view)> console_;
};

}  // namespace sumquill
