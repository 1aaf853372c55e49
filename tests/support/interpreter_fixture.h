// The interpreter in a fresh folder of its own, with what it prints kept: the fixture of the
// interpreter's tests.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "files/interpreter/command_interpreter.h"
#include "support/test_support.h"

namespace sumquill::testing {

class Interpreter : public ::testing::Test {
 protected:
  int run(const std::string& line) {
    console_.clear();
    return interpreter_.run(line);
  }
  const std::string& console() const { return console_; }

  /// The names at the end of the entry lines of a listing.
  static std::vector<std::string> listedNames(const std::string& listing) {
    static const std::regex kEntry(R"(^\d\d/\d\d/\d{4}  \d\d:\d\d [AP]M.{18} (.*)$)");
    std::vector<std::string> result;
    for (const auto& line : linesOf(listing)) {
      std::smatch match;
      if (std::regex_match(line, match, kEntry)) result.push_back(match[1]);
    }
    return result;
  }

  ScopedTempDir dir_;
  std::string console_;
  CommandInterpreter interpreter_{[this](std::string_view bytes) { console_.append(bytes); }};
};

}  // namespace sumquill::testing
