#include "support/scripted_terminal.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "console/keys.h"

namespace sumquill {

namespace {

struct NamedKey {
  std::string_view name;
  char code;
  bool extended;  ///< a key without a character: `code` is its extended code
};

constexpr std::array kNamedKeys{
    NamedKey{"enter", keys::kEnter, false}, NamedKey{"bs", keys::kBackspace, false},
    NamedKey{"tab", keys::kTab, false},     NamedKey{"esc", keys::kEscape, false},
    NamedKey{"up", keys::kUp, true},        NamedKey{"down", keys::kDown, true},
    NamedKey{"left", keys::kLeft, true},    NamedKey{"right", keys::kRight, true},
    NamedKey{"home", keys::kHome, true},    NamedKey{"end", keys::kEnd, true},
    NamedKey{"pgup", keys::kPageUp, true},  NamedKey{"pgdn", keys::kPageDown, true},
    NamedKey{"ins", keys::kInsert, true},   NamedKey{"del", keys::kDeleteKey, true},
    NamedKey{"f1", keys::kF1, true},        NamedKey{"f2", keys::kF1 + 1, true},
    NamedKey{"f3", keys::kF1 + 2, true},    NamedKey{"f4", keys::kF1 + 3, true},
    NamedKey{"f5", keys::kF1 + 4, true},    NamedKey{"f6", keys::kF1 + 5, true},
    NamedKey{"f7", keys::kF1 + 6, true},    NamedKey{"f8", keys::kF1 + 7, true},
    NamedKey{"f9", keys::kF1 + 8, true},    NamedKey{"f10", keys::kF1 + 9, true},
};

}  // namespace

std::vector<std::string> keysOf(std::string_view script) {
  std::vector<std::string> result;
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] == '<') {
      const auto close = script.find('>', i);
      if (close != std::string_view::npos) {
        const auto name = script.substr(i + 1, close - i - 1);
        bool found = false;
        for (const auto& named : kNamedKeys) {
          if (named.name != name) continue;
          result.push_back(named.extended ? keys::extended(named.code)
                                          : std::string(1, named.code));
          found = true;
          break;
        }
        if (found) {
          i = close;
          continue;
        }
      }
    }
    result.emplace_back(1, script[i]);
  }
  return result;
}

void ScriptedTerminal::type(std::string_view script) {
  for (;;) {
    const auto open = std::min(script.find("<resize "), script.find("<resume>"));
    const auto close = script.find('>', open);
    for (auto& key : keysOf(script.substr(0, open))) pending_.push_back({std::move(key), {}});
    if (open == script.npos || close == script.npos) return;
    const std::string_view name = script.substr(open + 1, close - open - 1);
    Item event;
    if (name == "resume") {
      event.change.resumed = true;
    } else {
      event.change.resized = true;
      event.width = std::stoi(std::string(name.substr(7)));
    }
    pending_.push_back(std::move(event));
    script.remove_prefix(close + 1);
  }
}

Terminal::ScreenChange ScriptedTerminal::takeScreenChange() {
  if (pending_.empty() || !pending_.front().change.any()) return {};
  const Item event = pending_.front();
  pending_.pop_front();
  if (event.change.resized) {
    width_ = event.width;
    output_ += "<width " + std::to_string(event.width) + ">";
  }
  if (event.change.resumed) output_ += "<resumed>";
  return event.change;
}

std::string ScriptedTerminal::takeOutput() {
  std::string fresh = output_.substr(taken_);
  taken_ = output_.size();
  return fresh;
}

void ScriptedTerminal::moveCursor(int rowsUp, int column) {
  output_ += "<up " + std::to_string(rowsUp) + " column " + std::to_string(column) + ">";
}

void ScriptedTerminal::writeError(std::string_view line) {
  errors_.append(line);
  errors_.push_back('\n');
}

void ScriptedTerminal::takeKeys(std::vector<std::string>& keys) {
  // Before a change of the screen keys come one at a time, as typed: the console takes the
  // change up after the keys that came before it, not all at once.
  const bool changeAhead = std::any_of(pending_.begin(), pending_.end(),
                                       [](const Item& item) { return item.change.any(); });
  while (!pending_.empty() && !pending_.front().change.any()) {
    keys.push_back(std::move(pending_.front().key));
    pending_.pop_front();
    if (changeAhead) return;
  }
}

InputWait ScriptedTerminal::waitForInput() {
  if (!pending_.empty()) return InputWait::ready;
  signalled_ = signalAtEnd_ != 0;
  return signalled_ ? InputWait::signalled : InputWait::ended;
}

bool ScriptedTerminal::readLine(std::string& line) {
  line.clear();
  return false;
}

}  // namespace sumquill
