// Spreadsheet column letters and numbers: A is 1, Z 26, AA 27, ZZ 702.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sumquill {

/// Trims blanks, upper-cases a to z; two characters count both, any other length the first
/// alone. Never fails: any text gives a number (the empty text gives -64).
std::int32_t columnNameToNumber(std::string_view name);
/// One or two characters for any number; outside 1 to 702 they are not letters. Above 702 the
/// first character runs on past Z ("[" for 703); where its code would pass 255 it stays at 255.
std::string columnNumberToName(std::int32_t number);

}  // namespace sumquill
