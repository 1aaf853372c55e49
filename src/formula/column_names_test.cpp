#include "formula/column_names.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace sumquill {
namespace {

TEST(ColumnNames, WorkedConversions) {
  struct Case {
    std::int32_t number;
    std::string_view name;
  } const toName[] = {
      {1, "A"},   {25, "Y"},  {26, "Z"},   {27, "AA"},  {51, "AY"}, {52, "AZ"},
      {53, "BA"}, {78, "BZ"}, {701, "ZY"}, {702, "ZZ"}, {0, "@"},   {703, "[A"},
      {-1, "Y"},  {-26, "@"}, {-27, "Y"},  {728, "[Z"},  // past ZZ the first letter runs on
  };
  for (const auto& c : toName) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(columnNumberToName(c.number), c.name);
  }

  struct Typed {
    std::string_view name;
    std::int32_t number;
  } const toNumber[] = {
      {"e", 5},
      {"Z", 26},
      {" ab ", 28},
      {"AZ", 52},
      {"zz", 702},
      {"AAA", 1},
      {"", -64},
      {"   ", -64},
      {"1", -15},
      {"\tA", -55 * 26 + 1},
      {"A\t", 26 - 55},
      {"\xE4", 164},
      {"\xE4\xE4", 164 * 26 + 164},  // bytes above 127 are not upper-cased and count unsigned
  };
  for (const auto& c : toNumber) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(columnNameToNumber(c.name), c.number);
  }
}

TEST(ColumnNames, EveryColumnRoundTrips) {
  for (std::int32_t n = 1; n <= 702; ++n) {
    const std::string name = columnNumberToName(n);
    ASSERT_EQ(columnNameToNumber(name), n) << name;
  }
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> names;
  for (const char first : letters) names.emplace_back(1, first);
  for (const char first : letters) {
    for (const char second : letters) names.push_back({first, second});
  }
  for (const auto& name : names) {
    ASSERT_EQ(columnNumberToName(columnNameToNumber(name)), name);
  }
}

TEST(ColumnNames, ExtremeNumbersGiveBytesWithoutOverflow) {
  // INT32_MAX is 82595524 * 26 + 23: far past 255, the first byte stays at 255.
  EXPECT_EQ(columnNumberToName(INT32_MAX), "\xFFW");
  EXPECT_EQ(columnNumberToName(26 * 191 + 1),
            "\xFF"
            "A");  // the last first code that fits
  EXPECT_EQ(columnNumberToName(26 * 192 + 1),
            "\xFF"
            "A");  // one more is held at 255
  EXPECT_EQ(columnNumberToName(26 * 191 + 2),
            "\xFF"
            "B");
  // The floor of INT32_MIN / 26 leaves 2: one character, B.
  EXPECT_EQ(columnNumberToName(INT32_MIN), "B");
  EXPECT_EQ(columnNumberToName(INT32_MIN + 1), "C");
}

}  // namespace
}  // namespace sumquill
