#include <unistd.h>

#include "console/terminal.h"

namespace sumquill {

namespace {

// Plain standard input and output, until the real terminal backend arrives.
class StreamTerminal : public Terminal {
 public:
  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(1, bytes.data(), bytes.size());
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  void writeError(std::string_view line) override {
    std::string text(line);
    text.push_back('\n');
    [[maybe_unused]] auto n = ::write(2, text.data(), text.size());
  }
  int width() override { return 80; }
  int startColumn() override { return 0; }
  bool interactive() override { return false; }
  void takeKeys(std::vector<std::string>&) override {}
  InputWait waitForInput() override { return InputWait::ended; }
  bool readLine(std::string& line) override {
    line.clear();
    return false;
  }
};

}  // namespace

std::unique_ptr<Terminal> makeProcessTerminal() { return std::make_unique<StreamTerminal>(); }

}  // namespace sumquill
