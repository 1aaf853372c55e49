#include "console/scripted_terminal.h"

#include <array>
#include <string>
#include <utility>

namespace sumquill {

namespace {

struct NamedKey {
  std::string_view name;
  std::string_view key;
};

constexpr std::array kNamedKeys{
    NamedKey{"enter", "\r"},
    NamedKey{"bs", "\b"},
    NamedKey{"tab", "\t"},
    NamedKey{"esc", "\x1b"},
    NamedKey{"up", "\xFFH"},
    NamedKey{"down", "\xFFP"},
    NamedKey{"left", "\xFFK"},
    NamedKey{"right", "\xFFM"},
    NamedKey{"home", "\xFFG"},
    NamedKey{"end", "\xFFO"},
    NamedKey{"pgup", "\xFFI"},
    NamedKey{"pgdn", "\xFFQ"},
    NamedKey{"ins", "\xFFR"},
    NamedKey{"del", "\xFFS"},
    NamedKey{"f1", "\xFF;"},
    NamedKey{"f2", "\xFF<"},
    NamedKey{"f3", "\xFF="},
    NamedKey{"f4", "\xFF>"},
    NamedKey{"f5", "\xFF?"},
    NamedKey{"f6", "\xFF@"},
    NamedKey{"f7",
             "\xFF"
             "A"},
    NamedKey{"f8",
             "\xFF"
             "B"},
    NamedKey{"f9",
             "\xFF"
             "C"},
    NamedKey{"f10",
             "\xFF"
             "D"},
};

}  // namespace

std::vector<std::string> keysOf(std::string_view script) {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] == '<') {
      const auto close = script.find('>', i);
      if (close != std::string_view::npos) {
        const auto name = script.substr(i + 1, close - i - 1);
        bool found = false;
        for (const auto& named : kNamedKeys) {
          if (named.name != name) continue;
          keys.emplace_back(named.key);
          found = true;
          break;
        }
        if (found) {
          i = close;
          continue;
        }
      }
    }
    keys.emplace_back(1, script[i]);
  }
  return keys;
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
