#include "run/identity.h"

namespace sumquill {

ProgramIdentity deriveIdentity(std::string_view sourceName) {
  ProgramIdentity identity;
  identity.sourceName = std::string(sourceName);
  const std::size_t n = sourceName.size();
  // Names shorter than an extension keep nothing of themselves but still end in "exe".
  identity.programName = std::string(sourceName.substr(0, n >= 3 ? n - 3 : 0)) + "exe";
  const std::size_t www = sourceName.find("www");
  if (www != std::string_view::npos && n >= www + 4) {
    identity.sponsorAddress = std::string(sourceName.substr(www, n - www - 4));
  }
  if (identity.sponsorAddress.find("www") == std::string::npos) identity.sponsorAddress.clear();
  return identity;
}

}  // namespace sumquill
