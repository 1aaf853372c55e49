#include "console/console.h"

#include <algorithm>
#include <cstdlib>

#include "console/answers.h"
#include "console/keys.h"
#include "console/line_editor.h"

namespace sumquill {

namespace {

constexpr int kZoneWidth = 14;

bool isLineEnd(std::string_view key) {
  return key.size() == 1 && (key[0] == keys::kEnter || key[0] == keys::kLineFeed);
}

}  // namespace

Console::Console(Terminal& terminal, std::function<void()> beforeEnd)
    : terminal_(terminal), beforeEnd_(std::move(beforeEnd)) {}

void Console::setUpOutput() {
  if (outputReady_) return;
  outputReady_ = true;
  width_ = terminal_.width();
  if (width_ <= 0) width_ = 80;
  column_ = terminal_.startColumn();
  if (column_ < 0) column_ = 0;
  column_ %= width_;
}

int Console::width() {
  setUpOutput();
  return width_;
}

void Console::write(std::string_view text) {
  setUpOutput();
  terminal_.write(text);
  const auto lastEnd = text.find_last_of("\r\n");
  if (lastEnd == std::string_view::npos) {
    column_ = static_cast<int>((column_ + text.size()) % static_cast<std::size_t>(width_));
  } else {
    column_ = static_cast<int>((text.size() - lastEnd - 1) % static_cast<std::size_t>(width_));
  }
}

void Console::printText(std::string_view text) { write(text); }

void Console::printLine(std::string_view text) {
  write(text);
  write(kLineEnd);
}

void Console::printBlankLine() { write(kLineEnd); }

void Console::printInteger(std::int32_t value, IntegerEnding ending) {
  write(printedInteger(value));
  switch (ending) {
    case IntegerEnding::lineEnd:
      write(kLineEnd);
      break;
    case IntegerEnding::nextZone:
      advanceToZone();
      break;
  }
}

void Console::advanceToZone() {
  setUpOutput();
  const int zone = ((column_ + kZoneWidth) / kZoneWidth) * kZoneWidth + 1;
  if (zone > width_ - kZoneWidth) {
    write(kLineEnd);
  } else {
    write(std::string(static_cast<std::size_t>(zone - (column_ + 1)), ' '));
  }
}

bool Console::takeArrivedKeys() {
  if (arrived_.empty()) {
    std::vector<std::string> keys;
    terminal_.takeKeys(keys);
    for (auto& key : keys) arrived_.push_back(std::move(key));
  }
  bool took = false;
  while (!arrived_.empty() && queue_.size() < KeyQueue::kSlots - 1) {
    queue_.push(std::move(arrived_.front()));
    arrived_.pop_front();
    took = true;
  }
  return took;
}

std::string Console::readKey() {
  // Keys are taken from the terminal only when none waits here: what has not been read yet stays
  // in the terminal's own buffer, or in `arrived_`. Input that is not a console comes one key at
  // a time, so the lines behind a menu key stay in it for the prompts.
  if (queue_.empty()) takeArrivedKeys();
  return queue_.pop();
}

bool Console::takeScreenChange() {
  const Terminal::ScreenChange change = terminal_.takeScreenChange();
  if (change.resized && outputReady_) {
    width_ = terminal_.width();
    if (width_ <= 0) width_ = 80;
  }
  screenChange_.resized = screenChange_.resized || change.resized;
  screenChange_.resumed = screenChange_.resumed || change.resumed;
  return screenChange_.any();
}

bool Console::waitForKey(bool untilScreenChange) {
  while (queue_.empty()) {
    if (takeArrivedKeys()) break;
    if (takeScreenChange() && untilScreenChange) return false;
    switch (terminal_.waitForInput()) {
      case InputWait::ready:
        break;
      case InputWait::signalled:
        endBySignal();
        break;
      case InputWait::ended:
        if (takeArrivedKeys()) break;
        endByEndOfInput();
    }
  }
  return true;
}

std::string Console::anyKeyWait() {
  std::string key;
  while (key.empty()) {
    // Input that never stops (a menu fed from /dev/zero) never lets the wait below run: a
    // request to end is looked at for every key.
    endBySignal();
    waitForKey();
    key = readKey();
  }
  return key;
}

std::string Console::keyMenu(std::initializer_list<std::string_view> optionLines,
                             std::initializer_list<MenuKey> keys) {
  bool shown = false;
  for (;;) {
    if (!shown) {
      for (const auto line : optionLines) printLine(line);
      shown = true;
    }
    const std::string key = anyKeyWait();
    for (const auto& entry : keys) {
      if (key != entry.key) continue;
      switch (entry.action()) {
        case MenuAction::leave:
          return key;
        case MenuAction::stay:
          break;
        case MenuAction::showOptions:
          shown = false;
          break;
      }
      break;
    }
  }
}

std::string Console::editLine(std::string_view prompt) {
  setUpOutput();
  // What happened to the screen at the menus before needs no redraw; a new width counts.
  takeScreenChange();
  screenChange_ = {};
  LineEditor editor(terminal_, terminal_.characterSet(), width_, column_);
  editing_ = &editor;
  struct Done {
    LineEditor*& editing;
    ~Done() { editing = nullptr; }
  } done{editing_};
  for (;;) {
    endBySignal();
    // A change of the screen is answered before any more keys: they belong to the new layout.
    if (takeScreenChange() || !waitForKey(true)) {
      editor.redraw(prompt, width_, screenChange_.resumed);
      screenChange_ = {};
      continue;
    }
    const std::string key = readKey();
    if (isLineEnd(key)) {
      column_ = editor.finish();
      return editor.line();
    }
    if (key.size() == 1 && key[0] == keys::kBackspace) {
      editor.backspace();
    } else if (key.size() == 1 && static_cast<unsigned char>(key[0]) >= 32) {
      editor.type(key[0]);
    } else {
      switch (keys::extendedCode(key)) {
        case keys::kLeft:
          editor.left();
          break;
        case keys::kRight:
          editor.right();
          break;
        case keys::kHome:
          editor.home();
          break;
        case keys::kEnd:
          editor.end();
          break;
        case keys::kDeleteKey:
          editor.erase();
          break;
        default:
          break;
      }
    }
  }
}

std::string Console::readTypedLine(std::string_view prompt) {
  if (terminal_.interactive()) return editLine(prompt);
  std::string line;
  const bool typed = terminal_.readLine(line);
  endBySignal();
  if (!typed) {
    // Nothing of an answer came: a run that went on would write reports of answers nobody gave.
    printBlankLine();
    endByEndOfInput();
  }
  // Show what was read, so a piped run prints what a console would have echoed.
  write(line);
  return line;
}

std::string Console::linePromptText(std::string_view prompt) {
  const std::string shown = std::string(prompt) + "? ";
  printText(shown);
  const std::string line = readTypedLine(shown);
  printBlankLine();
  return textAnswer(line);
}

std::int32_t Console::linePromptInteger(std::string_view prompt) {
  const std::string shown = std::string(prompt) + "? ";
  printText(shown);
  const std::string line = readTypedLine(shown);
  printBlankLine();
  return integerAnswer(line);
}

void Console::endByEndOfInput() {
  terminal_.writeError("sumquill: the input ended before the dialogue was finished");
  endProgram(kExitFailure);
}

void Console::endBySignal() {
  const int signal = terminal_.endingSignal();
  if (signal == 0) return;
  endLine();
  // The shell's convention for a process ended by a signal: 128 plus its number.
  endProgram(128 + signal);
}

void Console::endLine() {
  if (editing_ != nullptr) {
    column_ = editing_->finish();
    editing_ = nullptr;
  }
  if (outputReady_ && column_ != 0) write(kLineEnd);
}

void Console::endProgram(int status) {
  if (beforeEnd_) beforeEnd_();
  throw ProgramEnded{status};
}

}  // namespace sumquill
