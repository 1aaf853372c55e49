#include "console/answers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace sumquill {
namespace {

TEST(Answers, TextAndIntegerOfTheSameLine) {
  struct Case {
    std::string_view line;
    std::string_view text;
    std::int32_t integer;
  } const cases[] = {
      {"", "", 0},           {"  b12", "b12", 0},       {"b  ", "b  ", 0},
      {"A,B", "A", 0},       {"12abc", "12abc", 12},    {"-5", "-5", -5},
      {"1,5", "1", 1},       {"1 000", "1 000", 1},     {"2.5", "2.5", 2},
      {"3.5", "3.5", 4},     {"2.51", "2.51", 3},       {"1e3", "1e3", 1000},
      {"&H1A", "&H1A", 26},  {"\"1 000\"", "1 000", 1}, {"  \"a,b\" tail", "a,b", 0},
      {"\"open", "open", 0}, {"a\"b,c", "a\"b", 0},     {"   ", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(textAnswer(c.line), c.text);
    EXPECT_EQ(integerAnswer(c.line), c.integer);
  }
}

TEST(Answers, TextIsCutAt4096Characters) {
  const std::string longLine = std::string(4096, 'x') + "yz";
  EXPECT_EQ(textAnswer(longLine), std::string(4096, 'x'));
  EXPECT_EQ(textAnswer("\"" + longLine + "\""), std::string(4096, 'x'));
}

TEST(Answers, IntegerForms) {
  struct Case {
    std::string_view line;
    std::int32_t value;
  } const cases[] = {
      // Decimals: nearest integer, halves to even, "d" as exponent, as far as a number forms.
      {"0.5", 0},
      {"1.5", 2},
      {"-2.5", -2},
      {"-3.5", -4},
      {"-0.4", 0},
      {".5e1", 5},
      {"0.0000000000000000000000000000000000000000000000000000000000000005", 0},
      {"2.5000000000000000000000000000000000000000000000000000000000000001", 3},
      {"1d3", 1000},
      {"1D-1", 0},
      {"25E-1", 2},
      {"1e", 1},
      {"1e+", 1},
      {"+7.0", 7},
      {"12de", 12},
      {"e5", 0},
      {".", 0},
      {"-", 0},
      {"0e999999999999", 0},
      // Prefixed bases; "&" with another letter reads octal after the "&".
      {"&h1a", 26},
      {"&O17", 15},
      {"&o8", 0},
      {"&B101", 5},
      {"&b2", 0},
      {"&17", 15},
      {"&x17", 0},
      {"&", 0},
      {"&H", 0},
      {"&H1.5", 1},  // the "&" comes before the ".", so no decimal reading
      {"&HE", 14},
      {"1&.5", 1},  // an "&" anywhere before the "." rules the decimal reading out
      // Signs and digits.
      {"+12", 12},
      {"--1", 0},
      {"0000000000000000000000000000000000000000000000000000000000000042", 42},
      {"\"12\"34", 1234},
      {"\"-1,5\"", -1},
      {"12,\"3", 12},
      {"x12", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(integerAnswer(c.line), c.value);
  }
}

TEST(Answers, IntegersOutsideThe32BitRange) {
  struct Case {
    std::string line;  // one row builds its line
    std::int32_t value;
  } const cases[] = {
      {"2147483647", 2147483647},
      {"2147483648", INT32_MIN},
      {"3000000000", -1294967296},
      {"4294967295", -1},
      {"4294967296", -1},
      {"99999999999999999999999999999999999999999999", -1},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"-99999999999999999999999999999", INT32_MIN},
      {"&HFFFFFFFF", -1},
      {"&H80000000", INT32_MIN},
      {"&H100000000", -1},
      {"&O37777777777", -1},
      {"&B" + std::string(40, '1'), -1},
      {"2147483647.4", 2147483647},
      {"2147483647.5", INT32_MIN},
      {"-2147483648.4", INT32_MIN},
      {"1e999", INT32_MIN},
      {"-1e999", INT32_MIN},
      {"1e-999", 0},
      {"12345678901.0", INT32_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(integerAnswer(c.line), c.value);
  }
}

TEST(Answers, NumberTextIsCutAt67Characters) {
  // 66 zeros and a 7 still reach the digit; one zero more pushes it past the cut.
  EXPECT_EQ(integerAnswer(std::string(66, '0') + "7"), 7);
  EXPECT_EQ(integerAnswer(std::string(67, '0') + "7"), 0);
  // The quotes around a number do not count towards the 67.
  EXPECT_EQ(integerAnswer("\"" + std::string(66, '0') + "7\""), 7);
}

}  // namespace
}  // namespace sumquill
