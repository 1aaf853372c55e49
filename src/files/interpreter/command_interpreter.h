// An interpreter of the Windows commands the program runs (dir, copy, del, for, sort, find,
// chcp, behind "cmd /c"), for systems that have no cmd.exe. It works in the current directory
// and answers any other command as cmd.exe answers an unknown one.
//
// It reads and writes only names in the working directory, never through a link, and never
// starts another program. The one exception is the folder c:\windows\system32, which lives in
// memory: it holds stand-ins of cmd.exe, sort.exe, find.exe and chcp.com that `dir` lists and
// `copy` copies, so the tool staging finds them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "files/shell.h"

namespace sumquill {

class CommandInterpreter : public Shell {
 public:
  /// `console` receives what the commands print when it is not redirected into a file; both
  /// output and error messages go there, as both reach the console under cmd.exe.
  /// `interrupted`, when given, is asked in long loops and listings: once it says true, the
  /// commands stop where they are, so a request to end the program is answered at once.
  explicit CommandInterpreter(std::function<void(std::string_view)> console,
                              std::function<bool()> interrupted = {});
  int run(const std::string& commandLine) override;

  /// What `copy c:\windows\system32\NAME` writes for one of the interpreter's own tools, or the
  /// empty text for a name that is not one of them.
  static std::string_view toolContent(std::string_view name);

 private:
  std::function<void(std::string_view)> console_;
  std::function<bool()> interrupted_;
  /// What "chcp" without a number reports; changing it changes nothing else.
  std::string codePage_ = "437";
};

}  // namespace sumquill
