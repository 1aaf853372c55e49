// A terminal for tests: keys are queued in advance, everything written is kept.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "console/terminal.h"

namespace sumquill {

class ScriptedTerminal : public Terminal {
 public:
  explicit ScriptedTerminal(int width = 80, int startColumn = 0)
      : width_(width), startColumn_(startColumn) {}

  /// Queues keys written as a script: plain characters stand for themselves, and the names
  /// <enter> <bs> <tab> <esc> <up> <down> <left> <right> <home> <end> <pgup> <pgdn> <ins> <del>
  /// <f1>..<f10> for the keys without one ("B<enter>", "x<up>1").
  void type(std::string_view script);
  /// Queues one key text as it is (a key of two bytes, as a console hands it over).
  void typeKey(std::string key) { pending_.push_back(std::move(key)); }

  const std::string& output() const { return output_; }
  /// The output since the last call.
  std::string takeOutput();
  const std::string& errors() const { return errors_; }
  std::size_t pendingKeys() const { return pending_.size(); }

  void write(std::string_view bytes) override { output_.append(bytes); }
  void writeError(std::string_view line) override;
  int width() override { return width_; }
  int startColumn() override { return startColumn_; }
  /// Kept in the output as "<up R column C>".
  void moveCursor(int rowsUp, int column) override;
  bool interactive() override { return true; }
  void takeKeys(std::vector<std::string>& keys) override;
  /// With no key left the script is over, which a real console would never report.
  InputWait waitForInput() override;
  bool readLine(std::string& line) override;

 private:
  int width_;
  int startColumn_;
  std::deque<std::string> pending_;
  std::string output_;
  std::string errors_;
  std::size_t taken_ = 0;
};

/// The key texts of a key script, as `ScriptedTerminal::type` reads it.
std::vector<std::string> keysOf(std::string_view script);

}  // namespace sumquill
