// A small dialogue over the real terminal of the process, for the end-to-end tests of the
// terminal backends: a menu, a text and an integer prompt, two any-key waits. Each answer is
// printed in a form a test can compare; a file is left open so that an early end shows whether
// it was closed.
#include <cstdio>
#include <string>

#include "console/console.h"
#include "console/terminal.h"
#include "files/file_table.h"

namespace {

using namespace sumquill;

/// Printable bytes as they are, every other byte as <hh>.
std::string readable(std::string_view key) {
  std::string shown;
  for (const char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      shown.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02x>", byte);
      shown += hex;
    }
  }
  return shown;
}

[[noreturn]] void dialogue(Console& console, FileTable& files) {
  const FileNumber log = files.freeFileNumber();
  files.openFile("probe_log.txt", FileMode::output, log);
  files.printLine(log, "written before the first wait");
  console.printLine("width" + printedInteger(console.width()));
  const std::string choice = console.keyMenu(
      {"<1> one", "<2> two"},
      {{"1", [] { return MenuAction::leave; }}, {"2", [] { return MenuAction::leave; }}});
  console.printLine("menu " + choice);
  console.printLine("text [" + readable(console.linePromptText("Text = ")) + "]");
  console.printInteger(console.linePromptInteger("Number = "), IntegerEnding::lineEnd);
  console.printLine("key " + readable(console.anyKeyWait()));
  console.printLine("key " + readable(console.anyKeyWait()));
  console.endProgram();
}

}  // namespace

int main() {
  const auto terminal = makeProcessTerminal();
  FileTable files;
  Console console(*terminal, [&files] { files.closeAllFiles(); });
  try {
    dialogue(console, files);
  } catch (const ProgramEnded& end) {
    return end.status;
  }
}
