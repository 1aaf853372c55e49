#include "startup/tool_checks.h"

#include <array>
#include <string>

#include "console/console.h"
#include "files/file_table.h"
#include "files/shell.h"

namespace sumquill {

namespace {

constexpr std::string_view kCheckingLine =
    "Checking the presence of vital assistance programs of MS Windows system:";
constexpr std::string_view kListingFile = "stm_01.txt";
constexpr std::string_view kSystemFolder = "c:\\windows\\system32\\";
constexpr std::array<std::string_view, 3> kToolNames{"cmd.exe", "sort.exe", "find.exe"};

// The blanks in these lines are kept as they always were: the dir line of the find check has
// one blank before ">", the others two. The loop variable is quoted so that a name with blanks
// is deleted as one file: unquoted, cmd.exe would delete each of its words instead.
constexpr std::string_view kDeleteChecks =
    "cmd /c for %i in (check_*.txt) do del /q \"%i\" > out_null.txt";
constexpr std::array<std::string_view, 1> kCmdCommands{"cmd /c dir  > check_01.txt"};
constexpr std::array<std::string_view, 3> kSortCommands{kDeleteChecks, "cmd /c dir  > check_01.txt",
                                                        "cmd /c sort check_01.txt /o check_02.txt"};
constexpr std::array<std::string_view, 3> kFindCommands{
    kDeleteChecks, "cmd /c dir > check_01.txt",
    "cmd /c find /i \".exe\" check_01.txt >  check_02.txt"};

constexpr std::array<ToolCheck, 3> kToolChecks{{
    {"cmd", kCmdCommands, "check_01.txt", 1, "Check availability cmd.exe."},
    {"sort", kSortCommands, "check_02.txt", 2, "Check availability sort.exe."},
    {"find", kFindCommands, "check_02.txt", 2, "Check availability find.exe."},
}};

bool passes(Console& console, FileTable& files, Shell& shell, const ToolCheck& check) {
  console.printLine(check.headingWord);
  for (const auto command : check.commands) runShellCommand(shell, command);
  return countNonBlankLines(files, check.countedFile) >= check.minimumCount;
}

}  // namespace

void stageAndCheckTools(Console& console, FileTable& files, Shell& shell) {
  console.printLine("------------------------------");
  console.printLine(kCheckingLine);
  console.printLine("- cmd.exe, sort.exe, find.exe");
  console.printBlankLine();
  stageTools(files, shell);
  console.printBlankLine();
  console.printLine(kCheckingLine);
  for (const auto& check : kToolChecks) {
    if (!passes(console, files, shell, check)) showToolFailure(console, check);
  }
}

void stageTools(FileTable& files, Shell& shell) {
  runShellCommand(shell, "dir c:\\windows\\system32\\*.exe > stm_01.txt");
  const FileNumber number = files.freeFileNumber();
  files.openFile(kListingFile, FileMode::input, number);
  std::string line;
  // The listing stays open while the copies run; they write other files only.
  while (!files.atEndOfFile(number)) {
    files.readLine(number, line);
    for (const auto tool : kToolNames) {
      if (line.find(tool) != std::string::npos) {
        runShellCommand(shell, "copy " + std::string(kSystemFolder) + std::string(tool));
      }
    }
  }
  files.closeFile(number);
}

int countNonBlankLines(FileTable& files, std::string_view fileName) {
  int count = 0;
  const FileNumber number = files.freeFileNumber();
  files.openFile(fileName, FileMode::input, number);
  std::string line;
  while (!files.atEndOfFile(number)) {
    files.readLine(number, line);
    // Only the blank itself counts as empty space; a tab is content.
    if (line.find_first_not_of(' ') != std::string::npos) ++count;
  }
  files.closeFile(number);
  return count;
}

void showToolFailure(Console& console, const ToolCheck& check) {
  console.printLine(check.failureLine);
  console.printLine("Most likely it is necessary to updated the system path variable.");
  console.keyMenu({"<9> konec"}, {{"9", []() -> MenuAction { return MenuAction::leave; }}});
  console.endProgram();
}

}  // namespace sumquill
