#include "files/interpreter/parsing.h"

#include <gtest/gtest.h>

#include <vector>

namespace sumquill::interpreter {
namespace {

TEST(Parsing, SplitsArgumentsAtBlanksOutsideQuotes) {
  struct Case {
    std::string_view text;
    std::vector<Argument> arguments;
  } const cases[] = {
      {"", {}},
      {" \t ", {}},
      {"/q a.txt", {{"/q"}, {"a.txt"}}},
      {"  a\tb  ", {{"a"}, {"b"}}},
      {"\"a b.txt\"", {{"a b.txt", true}}},
      {"x\"a b\"y", {{"xa by"}}},
      {"\"\"", {{"", true}}},
      {"\"open ended", {{"open ended"}}},
      {"\".exe\" list.txt", {{".exe", true}, {"list.txt"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(splitArguments(c.text), c.arguments);
  }
}

TEST(Parsing, ReadsRedirectionsOutsideQuotes) {
  struct Case {
    std::string_view line;
    std::string command;
    std::vector<Redirection> redirections;
    bool valid = true;
  } const cases[] = {
      {"dir > out.txt", "dir ", {{1, false, {"out.txt"}}}},
      {"dir>out.txt", "dir", {{1, false, {"out.txt"}}}},
      {"dir >> log.txt 2> err.txt", "dir  ", {{1, true, {"log.txt"}}, {2, false, {"err.txt"}}}},
      {"dir 1> a.txt", "dir ", {{1, false, {"a.txt"}}}},
      {"copy x2> a.txt", "copy x2", {{1, false, {"a.txt"}}}},
      {"dir > \"a b.txt\"", "dir ", {{1, false, {"a b.txt", true}}}},
      {"del \"a > b.txt\"", "del \"a > b.txt\"", {}},
      {"for %i in (x) do del /q \"%i\" > out_null.txt",
       "for %i in (x) do del /q \"%i\" ",
       {{1, false, {"out_null.txt"}}}},
      {"dir >", "", {}, false},
      {"dir > \"\"", "", {}, false},
      {"dir | sort", "", {}, false},
      {"dir & del x", "", {}, false},
      {"sort < in.txt", "", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const ParsedLine parsed = parseRedirections(c.line);
    EXPECT_EQ(parsed.valid, c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(parsed.command, c.command);
    EXPECT_EQ(parsed.redirections, c.redirections);
  }
}

TEST(Parsing, TakesALoopApart) {
  const auto loop = parseForLoop(" %i IN (check_*.txt a.txt) DO del /q \"%i\" ");
  ASSERT_TRUE(loop);
  EXPECT_EQ(loop->variable, "%i");
  EXPECT_EQ(loop->set, "check_*.txt a.txt");
  EXPECT_EQ(loop->body, "del /q \"%i\"");
  EXPECT_EQ(parseForLoop("%%j in (x) do dir")->variable, "%j");
  for (const std::string_view text : {"", "%i", "i in (x) do x", "%i in x do y", "%i in (x) y",
                                      "%i in (x) do", "%i in (x do y", "% in (x) do y"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parseForLoop(text));
  }
}

// The value of a variable is put in after the arguments are split: it is one argument, whatever
// it holds, and its `*` and `?` are characters, not wildcards.
TEST(Parsing, PutsInVariablesAfterSplitting) {
  const std::vector<Binding> bindings{{"%i", "check_a > b & c.txt"}, {"%j", "x%iy"}};
  struct Case {
    Argument typed;
    Argument expected;
  } const cases[] = {
      {{"%i"}, {"check_a > b & c.txt", false, true}},
      {{"%i", true}, {"check_a > b & c.txt", true, true}},
      {{"pre%i.bak"}, {"precheck_a > b & c.txt.bak", false, true}},
      {{"%j"}, {"x%iy", false, true}},  // a value is not looked into again
      {{"%I"}, {"%I"}},                 // variables are told apart by letter case
      {{"%k"}, {"%k"}},
      {{"%i%i"}, {"check_a > b & c.txtcheck_a > b & c.txt", false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.text);
    EXPECT_EQ(substituted(c.typed, bindings), c.expected);
  }
  EXPECT_EQ(substitutedText("del /q \"%i\"", bindings), "del /q \"check_a > b & c.txt\"");
}

}  // namespace
}  // namespace sumquill::interpreter
