// Copies cmd.exe, sort.exe and find.exe into the working directory and checks that each works.
#pragma once

#include <span>
#include <string_view>

namespace sumquill {

class Console;
class FileTable;
class Shell;

/// One check of a tool: commands that end by writing a file, and how many non-blank lines that
/// file must hold for the tool to count as working.
struct ToolCheck {
  std::string_view headingWord;                ///< Printed alone on a line as the check starts.
  std::span<const std::string_view> commands;  ///< Run one after the other, each to its end.
  std::string_view countedFile;
  int minimumCount;
  std::string_view failureLine;  ///< First line of the failure screen.
};

/// Returns when all three checks have passed; a failed check ends the program from its screen.
void stageAndCheckTools(Console& console, FileTable& files, Shell& shell);

/// Lists the system folder's programs into stm_01.txt and copies each tool whose name appears
/// in a listing line (exact letter case), once per such line.
void stageTools(FileTable& files, Shell& shell);

/// The lines of the file that hold anything besides leading blanks; 0 for a missing file.
int countNonBlankLines(FileTable& files, std::string_view fileName);

/// Names the tool that failed and waits for "9", which ends the program.
[[noreturn]] void showToolFailure(Console& console, const ToolCheck& check);

}  // namespace sumquill
