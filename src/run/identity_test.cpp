#include "run/identity.h"

#include <gtest/gtest.h>

namespace sumquill {
namespace {

TEST(DeriveIdentity, TakesProgramNameAndSponsorFromTheSourceName) {
  struct Case {
    std::string_view source;
    std::string_view programName;
    std::string_view sponsor;
  } const cases[] = {
      {kSourceName, "qzr_sumif_www.sponsor.example.exe", "www.sponsor.example"},
      {"qzr_sumif_plain.cpp", "qzr_sumif_plain.exe", ""},
      {"qzr_sumif_www.a.bas", "qzr_sumif_www.a.exe", "www.a"},
      {"qzr_sumif_www.cpp", "qzr_sumif_www.exe", "www"},
      {"xwww.c", "xwwexe", ""},  // what stands before the extension is too short
      {"ab", "exe", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    const ProgramIdentity identity = deriveIdentity(c.source);
    EXPECT_EQ(identity.sourceName, c.source);
    EXPECT_EQ(identity.programName, c.programName);
    EXPECT_EQ(identity.sponsorAddress, c.sponsor);
  }
}

}  // namespace
}  // namespace sumquill
