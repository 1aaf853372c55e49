#include "console/characters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sumquill {
namespace {

/// The text cut into characters as `lengthAt` cuts it.
std::vector<std::string> cut(const CharacterSet& set, std::string_view text) {
  std::vector<std::string> characters;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = set.lengthAt(text, at);
    characters.emplace_back(text.substr(at, length));
    at += length;
  }
  return characters;
}

TEST(Characters, Utf8SequencesAreWholeAndBrokenBytesStandAlone) {
  const CharacterSet utf8 = CharacterSet::utf8();
  struct Case {
    std::string name;
    std::string text;
    std::vector<std::string> characters;
    std::vector<int> columns;
  } const cases[] = {
      {"ASCII", "aB ", {"a", "B", " "}, {1, 1, 1}},
      {"two bytes", "\xC3\xA9x", {"\xC3\xA9", "x"}, {1, 1}},
      {"three bytes, wide", "\xE4\xB8\xAD\xE6\x96\x87", {"\xE4\xB8\xAD", "\xE6\x96\x87"}, {2, 2}},
      {"four bytes, wide", "\xF0\x9F\x98\x80", {"\xF0\x9F\x98\x80"}, {2}},
      {"four bytes, narrow", "\xF0\x9D\x90\x80", {"\xF0\x9D\x90\x80"}, {1}},
      {"a combining mark", "e\xCC\x81", {"e", "\xCC\x81"}, {1, 0}},
      {"a lead byte alone",
       "\xC3"
       "B",
       {"\xC3", "B"},
       {1, 1}},
      {"a continuation alone", "\xA9\xA9", {"\xA9", "\xA9"}, {1, 1}},
      {"cut off at the end", "a\xE4\xB8", {"a", "\xE4", "\xB8"}, {1, 1, 1}},
      {"overlong", "\xC0\x80", {"\xC0", "\x80"}, {1, 1}},
      {"a surrogate", "\xED\xA0\x80", {"\xED", "\xA0", "\x80"}, {1, 1, 1}},
      {"past U+10FFFF", "\xF4\x90\x80\x80", {"\xF4", "\x90", "\x80", "\x80"}, {1, 1, 1, 1}},
      {"Latin-1 bytes", "\xE9t\xE9", {"\xE9", "t", "\xE9"}, {1, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto characters = cut(utf8, c.text);
    EXPECT_EQ(characters, c.characters);
    std::vector<int> columns;
    for (const auto& character : characters) columns.push_back(utf8.columns(character));
    EXPECT_EQ(columns, c.columns);
    // Reading back from the end finds the same last character as reading from the start.
    EXPECT_EQ(utf8.lastStart(c.text), c.text.size() - characters.back().size());
  }
}

TEST(Characters, DoubleBytePagesPairALeadByteWithTheNext) {
  std::array<bool, 256> lead{};
  for (int byte = 0x81; byte <= 0x9F; ++byte) lead[static_cast<std::size_t>(byte)] = true;
  const CharacterSet page = CharacterSet::doubleByte(lead);
  // "\x82\xA0" is one character; "\x82\x82" too, though its second byte could lead one.
  EXPECT_EQ(cut(page, "a\x82\xA0\x82\x82z"),
            (std::vector<std::string>{"a", "\x82\xA0", "\x82\x82", "z"}));
  EXPECT_EQ(page.columns("\x82\xA0"), 2);
  EXPECT_EQ(page.lastStart("a\x82\x82"), 1u);
  EXPECT_EQ(page.lastStart("\x82\x82\x82"), 2u);
  EXPECT_EQ(cut(CharacterSet::singleByte(), "\xC3\xA9"),
            (std::vector<std::string>{"\xC3", "\xA9"}));
}

}  // namespace
}  // namespace sumquill
