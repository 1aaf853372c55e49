// The command line, read before the terminal is touched. Without arguments the dialogue runs;
// with any argument it never starts and no file is touched: the dialogue deletes files in the
// working directory, so an argument that was ignored and followed by a run would be input handled
// unsafely.
#pragma once

#include <cstdio>
#include <string>

namespace sumquill {

/// The status of a run stopped by an argument the program does not know.
inline constexpr int kExitBadArgument = 2;

/// What the command line asks for.
struct CommandLineAnswer {
  bool runDialogue = false;  ///< No arguments: the dialogue runs, as it always has.
  int status = 0;            ///< Otherwise the exit status, after the texts below are written.
  std::string out;           ///< For standard output: the usage text or the version.
  std::string err;           ///< For standard error: the line naming an unknown argument.
};

/// Reads `argv[1]` to `argv[argc - 1]`. `--help`, `-h` and `/?` ask for the usage text and
/// `--version` for the version; the first argument that is none of these (an empty one and "-"
/// included) is named on standard error. An `argc` of 0 counts as no arguments.
CommandLineAnswer readCommandLine(int argc, const char* const* argv);

/// Writes the answer's texts and returns its status, or 1 when the text for standard output
/// could not be written whole (a full disk, a closed pipe): a help or version that never
/// arrived is no success.
int writeCommandLineAnswer(const CommandLineAnswer& answer, std::FILE* out, std::FILE* err);

}  // namespace sumquill
