// Who the program says it is: the name shown in the banner and the reports, and its sponsor.
#pragma once

#include <string>
#include <string_view>

namespace sumquill {

/// The name the program is built under: "qzr_sumif_", the sponsor's address, a dot and a
/// three-letter extension.
inline constexpr std::string_view kSourceName = "qzr_sumif_www.sponsor.example.cpp";
/// The maker's web address, shown after "More information: ".
inline constexpr std::string_view kMakerAddress = "www.sumquill.example";
/// Where the HTML report's information link points.
inline constexpr std::string_view kMakerUrl = "http://www.sumquill.example/";

struct ProgramIdentity {
  std::string sourceName;
  std::string programName;
  std::string sponsorAddress;  ///< Empty when the source name names no "www" address.
};

/// The display name is the source name with its extension replaced by "exe"; the sponsor is what
/// stands from "www" up to the final dot and extension.
ProgramIdentity deriveIdentity(std::string_view sourceName);

}  // namespace sumquill
