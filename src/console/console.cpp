#include "console/console.h"

#include <cstdlib>

#include "console/answers.h"
#include "files/file_table.h"

namespace sumquill {

namespace {

constexpr int kZoneWidth = 14;
constexpr char kBackspace = 8;
constexpr char kExtended = '\xFF';

bool isLineEnd(std::string_view key) { return key == "\r" || key == "\n"; }

}  // namespace

std::string printedInteger(std::int32_t value) {
  // Through 64 bits, so that the most negative value has a magnitude to print.
  const std::int64_t wide = value;
  return (wide < 0 ? "-" : " ") + std::to_string(wide < 0 ? -wide : wide);
}

Console::Console(Terminal& terminal, FileTable& files) : terminal_(terminal), files_(files) {}

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
    case IntegerEnding::nothing:
      break;
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

void Console::waitForKey() {
  while (queue_.empty()) {
    if (takeArrivedKeys()) break;
    switch (terminal_.waitForInput()) {
      case InputWait::ready:
        break;
      case InputWait::signalled:
        endBySignal();
        break;
      case InputWait::ended:
        if (takeArrivedKeys()) break;
        terminal_.writeError("sumquill: the input ended before the dialogue was finished");
        endProgram(kExitFailure);
    }
  }
}

std::string Console::anyKeyWait() {
  std::string key;
  while (key.empty()) {
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

std::string Console::editLine() {
  std::string line;
  std::size_t cursor = 0;
  // Everything right of the cursor is written again after a change, then the cursor is walked
  // back with backspaces: the one motion every console understands.
  const auto redrawTail = [&](std::size_t erased) {
    std::string tail = line.substr(cursor) + std::string(erased, ' ');
    tail.append(line.size() - cursor + erased, kBackspace);
    write(tail);
  };
  for (;;) {
    const std::string key = anyKeyWait();
    if (isLineEnd(key)) return line;
    if (key.size() == 1 && key[0] == kBackspace) {
      if (cursor == 0) continue;
      line.erase(--cursor, 1);
      write(std::string(1, kBackspace));
      redrawTail(1);
    } else if (key.size() == 1 && static_cast<unsigned char>(key[0]) >= 32) {
      line.insert(cursor, key);
      write(key);
      ++cursor;
      redrawTail(0);
    } else if (key.size() == 2 && key[0] == kExtended) {
      switch (key[1]) {
        case 'K':  // Left
          if (cursor > 0) write(std::string(1, kBackspace)), --cursor;
          break;
        case 'M':  // Right
          if (cursor < line.size()) write(line.substr(cursor, 1)), ++cursor;
          break;
        case 'G':  // Home
          write(std::string(cursor, kBackspace));
          cursor = 0;
          break;
        case 'O':  // End
          write(line.substr(cursor));
          cursor = line.size();
          break;
        case 'S':  // Delete
          if (cursor < line.size()) {
            line.erase(cursor, 1);
            redrawTail(1);
          }
          break;
        default:
          break;
      }
    }
  }
}

std::string Console::readTypedLine() {
  if (terminal_.interactive()) return editLine();
  std::string line;
  terminal_.readLine(line);
  endBySignal();
  // Show what was read, so a piped run prints what a console would have echoed.
  write(line);
  return line;
}

std::string Console::linePromptText(std::string_view prompt) {
  printText(prompt);
  printText("? ");
  const std::string line = readTypedLine();
  printBlankLine();
  return textAnswer(line);
}

std::int32_t Console::linePromptInteger(std::string_view prompt) {
  printText(prompt);
  printText("? ");
  const std::string line = readTypedLine();
  printBlankLine();
  return integerAnswer(line);
}

void Console::endBySignal() {
  // The shell's convention for a process ended by a signal: 128 plus its number.
  if (const int signal = terminal_.endingSignal(); signal != 0) endProgram(128 + signal);
}

void Console::endProgram(int status) {
  files_.closeAllFiles();
  throw ProgramEnded{status};
}

}  // namespace sumquill
