#include "run/command_line.h"

#include <cerrno>
#include <string_view>
#include <system_error>

#include "console/console.h"
#include "run/version.h"

namespace sumquill {

namespace {

constexpr std::string_view kUsage =
    "Usage: sumquill             start the dialogue in the working directory\n"
    "       sumquill --help      show this text (also -h, /?)\n"
    "       sumquill --version   show the version\n"
    "\n"
    "Sumquill asks about a spreadsheet table in a console dialogue and writes the\n"
    "nine formulas of a per-group summary, with where to paste them, into the\n"
    "reports qzr_sumif.txt and qzr_sumif.htm in the working directory.\n"
    "\n"
    "Run it in an empty folder of its own: it writes scratch files there, copies\n"
    "cmd.exe, sort.exe and find.exe into it and deletes each check_*.txt file there.\n"
    "\n"
    "Scripted input (a pipe or a file): each byte answers a menu, line ends skipped;\n"
    "a typed answer is one whole line. Input that ends too early: status 1.\n"
    "\n"
    "More in the manual page sumquill(1) and in README.md.\n";

bool asksForHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "/?";
}

bool asksForVersion(std::string_view argument) { return argument == "--version"; }

// The argument as it can be shown on a terminal: a control byte in it is spelled out, so that a
// stray escape sequence never acts on the user's terminal.
std::string shown(std::string_view argument) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const char c : argument) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xf];
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace

CommandLineAnswer readCommandLine(int argc, const char* const* argv) {
  CommandLineAnswer answer;
  if (argc <= 1) {
    answer.runDialogue = true;
    return answer;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!asksForHelp(argument) && !asksForVersion(argument)) {
      answer.status = kExitBadArgument;
      answer.err = "sumquill: unknown argument \"" + shown(argument) +
                   "\"; sumquill --help lists the arguments\n";
      return answer;
    }
  }
  answer.status = kExitSuccess;
  if (asksForHelp(argv[1])) {
    answer.out = kUsage;
  } else {
    answer.out = "sumquill " + std::string(kVersion) +
                 "\nCopyright (c) 2026 The Sumquill authors\n"
                 "MIT licence: free to use, change and pass on, without warranty.\n";
  }
  return answer;
}

int writeCommandLineAnswer(const CommandLineAnswer& answer, std::FILE* out, std::FILE* err) {
  errno = 0;
  const bool written =
      std::fwrite(answer.out.data(), 1, answer.out.size(), out) == answer.out.size() &&
      std::fflush(out) == 0;
  if (!written) {
    const int error = errno ? errno : EIO;
    const std::string line =
        "sumquill: the text could not be written: " + std::generic_category().message(error) + "\n";
    std::fwrite(line.data(), 1, line.size(), err);
    std::fflush(err);
    return kExitFailure;
  }
  std::fwrite(answer.err.data(), 1, answer.err.size(), err);
  std::fflush(err);
  return answer.status;
}

}  // namespace sumquill
