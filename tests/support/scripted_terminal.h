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
  /// <f1>..<f10> for the keys without one ("B<enter>", "x<up>1"). Two names stand for what
  /// happens to the screen once the keys before them are taken: <resize N> (the width becomes
  /// N) and <resume> (back from a stop).
  void type(std::string_view script);
  /// Queues one key text as it is (a key of two bytes, as a console hands it over).
  void typeKey(std::string key) { pending_.push_back({std::move(key), {}}); }
  /// When the keys run out and the program waits for more, a signal asks it to end instead of
  /// the script ending.
  void endWithSignal(int signal) { signalAtEnd_ = signal; }
  /// How typed bytes form characters here; UTF-8 unless set.
  void setCharacterSet(CharacterSet characters) { characters_ = std::move(characters); }

  const std::string& output() const { return output_; }
  /// The output since the last call.
  std::string takeOutput();
  const std::string& errors() const { return errors_; }
  std::size_t pendingKeys() const { return pending_.size(); }
  /// Kept in the output as "<width N>" or "<resumed>" where the console takes it.
  ScreenChange takeScreenChange() override;
  CharacterSet characterSet() override { return characters_; }

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
  int endingSignal() const override { return signalled_ ? signalAtEnd_ : 0; }

 private:
  /// A key, or what happens to the screen at that point of the script.
  struct Item {
    std::string key;
    ScreenChange change;
    int width = 0;
  };

  int width_;
  int startColumn_;
  std::deque<Item> pending_;
  CharacterSet characters_ = CharacterSet::utf8();
  int signalAtEnd_ = 0;
  bool signalled_ = false;
  std::string output_;
  std::string errors_;
  std::size_t taken_ = 0;
};

/// The key texts of a key script, as `ScriptedTerminal::type` reads it.
std::vector<std::string> keysOf(std::string_view script);

}  // namespace sumquill
