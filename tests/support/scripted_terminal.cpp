#include "support/scripted_terminal.h"

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
  for (auto& key : keysOf(script)) pending_.push_back(std::move(key));
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
  while (!pending_.empty()) {
    keys.push_back(std::move(pending_.front()));
    pending_.pop_front();
  }
}

InputWait ScriptedTerminal::waitForInput() {
  return pending_.empty() ? InputWait::ended : InputWait::ready;
}

bool ScriptedTerminal::readLine(std::string& line) {
  line.clear();
  return false;
}

}  // namespace sumquill
