#include "settings/code_page.h"

#include <array>
#include <string>
#include <string_view>

#include "console/console.h"
#include "files/shell.h"
#include "run/records.h"

namespace sumquill {

namespace {

struct CodePageEntry {
  std::string_view name;
  std::string_view description;
};

constexpr std::array<CodePageEntry, 10> kCodePageTable{{
    {"Windows-1250",
     "Central Europe languages: Albanian, Croatian, Czech, Hungarian, Polish, Romanian, Serbian "
     "(Latin), Slovak, Slovenian"},
    {"Windows-1251",
     "Cyrillic languages: Azeri, Belarusian, Bulgarian, Macedonian, Kazakh, Kyrgyz, Mongolian, "
     "Russian, Serbian, Tatar, Ukrainian, Uzbek"},
    {"Windows-1252",
     "Latin 1 languages: Afrikaans, Basque, Catalan, Danish, Dutch, English, Faroese, Finnish, "
     "French, Galician, German, Icelandic, Indonesian, Italian, Malay, Norwegian, Portuguese, "
     "Spanish, Swahili, Swedish"},
    {"Windows-1253", "Greek"},
    {"Windows-1254", "Turkic languages: Azeri (Latin), Turkish, Uzbek (Latin)"},
    {"Windows-1255", "Hebrew"},
    {"Windows-1256", "Arabic, Farsi, Urdu"},
    {"Windows-1257", "Baltic languages: Estonian, Latvian, Lithuanian"},
    {"Windows-1258", "Vietnamese"},
    {"Windows-54936", "China"},
}};

/// Every name is "Windows-" and the number that chcp takes.
constexpr std::size_t kNumberStart = std::string_view("Windows-").size();

constexpr std::string_view kSeparator = "-------------------------------";

const CodePageEntry& entryOf(int row) { return kCodePageTable[static_cast<std::size_t>(row - 1)]; }

void printRow(Console& console, int row) {
  console.printInteger(row, IntegerEnding::nextZone);
  console.printLine(entryOf(row).name);
  console.printLine(entryOf(row).description);
}

MenuAction listAll(Console& console) {
  for (int row = 1; row <= static_cast<int>(kCodePageTable.size()); ++row) {
    printRow(console, row);
    console.printBlankLine();
  }
  return MenuAction::showOptions;
}

void selectRow(Console& console, Shell& shell, RunSettings& settings, int row) {
  const std::string_view name = entryOf(row).name;
  console.printLine(kSeparator);
  printRow(console, row);
  settings.codePage = std::string(name.substr(kNumberStart));
  console.printText("Windows code page = ");
  console.printLine(name);
  // Whatever chcp says goes straight to the console; the run goes on regardless.
  runShellCommand(shell, "chcp " + settings.codePage);
  console.printBlankLine();
  console.printLine(kSeparator);
}

MenuAction browse(Console& console, Shell& shell, RunSettings& settings) {
  for (int row = 1; row <= static_cast<int>(kCodePageTable.size()); ++row) {
    console.printBlankLine();
    printRow(console, row);
    console.printLine("any key to continue, <3> select, <8> exit");
    const std::string key = console.anyKeyWait();
    if (key == "3") {
      selectRow(console, shell, settings, row);
      return MenuAction::leave;
    }
    if (key == "8") break;
  }
  return MenuAction::showOptions;
}

}  // namespace

void selectCodePage(Console& console, Shell& shell, RunSettings& settings) {
  console.printBlankLine();
  console.keyMenu({kSeparator, "<1> list        Windows code page",
                   "<2> list/select Windows code page - increment", "<8> exit, end"},
                  {{"1", [&] { return listAll(console); }},
                   {"2", [&] { return browse(console, shell, settings); }},
                   {"8", [&]() -> MenuAction {
                      console.printLine("End");
                      console.endProgram();
                    }}});
}

}  // namespace sumquill
