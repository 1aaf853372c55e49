// How a command line of the interpreter is taken apart, in the order cmd.exe does it: first the
// redirections are read off the line, then the command splits its arguments, and only then are
// `for` variables replaced. So the text a variable puts in (a listed file name) is never read
// again for redirections, command separators, quotes, blanks or wildcards.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sumquill::interpreter {

/// One argument of a command.
struct Argument {
  /// Without the double quotes that grouped it.
  std::string text;
  /// The whole argument was written in double quotes (find's search text must be).
  bool quoted = false;
  /// Part of the text came from a `for` variable: its `*` and `?` are characters of a name.
  bool literal = false;

  bool operator==(const Argument&) const = default;
};

/// Splits at blanks and tabs outside double quotes; the quotes themselves are dropped.
std::vector<Argument> splitArguments(std::string_view text);

/// A redirection of a stream into a file: "> name", ">> name", "2> name".
struct Redirection {
  int handle = 1;
  bool append = false;
  Argument target;

  bool operator==(const Redirection&) const = default;
};

struct ParsedLine {
  /// The line without its redirections.
  std::string command;
  std::vector<Redirection> redirections;
  /// False for what this interpreter does not understand: pipes, "&", input redirection, a
  /// redirection without a target.
  bool valid = true;
};

/// Takes the redirections out of a line, outside double quotes.
ParsedLine parseRedirections(std::string_view line);

/// The parts of "for %i in (SET) do COMMAND".
struct ForLoop {
  std::string variable;  ///< "%i"
  std::string_view set;
  std::string_view body;
};

/// Takes `text` (what follows "for") apart, or nothing when it does not have a loop's shape.
std::optional<ForLoop> parseForLoop(std::string_view text);

/// The value of a `for` variable while the loop's command runs.
struct Binding {
  std::string variable;  ///< "%i"
  std::string value;
};

/// The argument with every variable replaced by its value, in one pass over the typed text, so a
/// value that holds a variable's name is not replaced again.
Argument substituted(Argument argument, std::span<const Binding> bindings);

/// The same for a whole line, for display only: the echo of a loop's command.
std::string substitutedText(std::string_view text, std::span<const Binding> bindings);

/// Blanks and tabs separate words on a command line.
constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text);

}  // namespace sumquill::interpreter
