#include "startup/banner.h"

#include <string_view>

#include "console/console.h"

namespace sumquill {

namespace {

constexpr std::string_view kBannerRule =
    "==========================================================";
constexpr std::string_view kWarningRule =
    "----------------------------------------------------------";

}  // namespace

void showBanner(Console& console, const ProgramIdentity& identity) {
  const bool sponsored = !identity.sponsorAddress.empty();
  if (sponsored) console.printLine(identity.sponsorAddress);
  console.printLine(kBannerRule);
  console.printBlankLine();
  console.printLine("Sumquill");
  console.printLine("Program for creating sumif() formulas in MS Excel compatible tables");
  console.printBlankLine();
  console.printText("Program name: ");
  console.printLine(identity.programName);
  console.printBlankLine();
  console.printLine("More information: " + std::string(kMakerAddress));
  if (sponsored) {
    console.printText("Sponsored by:     ");
    console.printLine(identity.sponsorAddress);
  }
  console.printLine(kBannerRule);
}

void confirmSeparateDirectory(Console& console) {
  console.printBlankLine();
  console.printLine("--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------");
  console.printBlankLine();
  console.printLine("Program must run in separate directory.");
  console.printLine("During execution it will delete most *.txt, and other files.");
  console.printBlankLine();
  console.printLine(kWarningRule);
  console.printBlankLine();
  // Nothing has touched the disk yet, so ending here leaves the folder as the user had it.
  console.keyMenu({"<1> yes and continue", "<2> no  and end"},
                  {{"1", [] { return MenuAction::leave; }},
                   {"2", [&console]() -> MenuAction { console.endProgram(); }}});
  console.printBlankLine();
}

}  // namespace sumquill
