// What every screen test needs: a console over a scripted terminal, with the file table of the
// run, wired as the run flow wires them (the files are closed when the program ends).
#pragma once

#include <functional>

#include "console/console.h"
#include "files/file_table.h"
#include "support/scripted_terminal.h"

namespace sumquill::testing {

struct Dialogue {
  explicit Dialogue(int width = 80, int startColumn = 0) : terminal(width, startColumn) {}

  ScriptedTerminal terminal;
  FileTable files;
  Console console{terminal, [this] { files.closeAllFiles(); }};
};

/// Runs a screen, or any part of a run: the status the program ended with, or -1 when it
/// returned instead.
int endStatusOf(const std::function<void()>& screen);

}  // namespace sumquill::testing
