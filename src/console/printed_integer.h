// The text form of an integer that the console and the reports show alike.
#pragma once

#include <cstdint>
#include <string>

namespace sumquill {

/// "7" gives " 7", 0 gives " 0", -12 gives "-12": a blank or a minus sign, then the digits.
inline std::string printedInteger(std::int32_t value) {
  // Through 64 bits, so that the most negative value has a magnitude to print.
  const std::int64_t wide = value;
  return (wide < 0 ? "-" : " ") + std::to_string(wide < 0 ? -wide : wide);
}

}  // namespace sumquill
