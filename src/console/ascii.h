// Letter case of the ASCII letters only. Names, criteria and column letters are single-byte
// text in whatever code page the user has chosen, so a byte above 127 is never a letter here,
// whatever the C library's locale says.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace sumquill {

/// 'A' to 'Z' as 'a' to 'z'; every other byte as it is.
constexpr char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// 'a' to 'z' as 'A' to 'Z'; every other byte as it is.
constexpr char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string lowerAscii(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](char c) { return lowerAscii(c); });
  return result;
}

inline std::string upperAscii(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](char c) { return upperAscii(c); });
  return result;
}

/// Equal but for the case of ASCII letters.
constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

/// Byte order after ASCII letters are lowered: the order a Windows listing or sort shows.
constexpr bool lessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
  });
}

}  // namespace sumquill
