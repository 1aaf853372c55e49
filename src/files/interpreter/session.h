// One run of a command line: its redirections, the commands it names, `cmd /c` and `for`, which
// run command lines of their own, and the limits that keep a line's work bounded.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/interpreter/listing.h"
#include "files/interpreter/output_file.h"
#include "files/interpreter/parsing.h"
#include "files/interpreter/paths.h"

namespace sumquill::interpreter {

using Write = std::function<void(std::string_view)>;

/// The two streams of a command: output, which a redirection may send into a file, and the
/// error messages, which stay on the console.
struct Streams {
  Write out;
  Write err;
};

/// Writes the text and CR LF.
void writeLine(const Write& write, std::string_view text);

inline constexpr std::string_view kSyntaxError = "The syntax of the command is incorrect.";
inline constexpr std::string_view kNoSuchPath = "The system cannot find the path specified.";
inline constexpr std::string_view kNoSuchFile = "The system cannot find the file specified.";

class Session {
 public:
  /// `codePage` is what chcp reports and changes; it outlives the session.
  Session(std::string& codePage, Interrupted interrupted)
      : codePage_(codePage), interrupted_(std::move(interrupted)) {}

  /// Runs a line with the values of the `for` variables of the loops around it.
  int execute(std::string_view line, const Streams& streams, int depth,
              std::span<const Binding> bindings);

 private:
  /// One command as it is run: what follows its name, and where it writes.
  struct Call {
    std::string_view text;  ///< As typed: `cmd` and `for` take it apart themselves.
    std::span<const Binding> bindings;
    const Streams& streams;
    int depth;

    /// The arguments, split and then given the values of the variables.
    std::vector<Argument> arguments() const;
  };
  using Handler = int (Session::*)(const Call& call);

  int dispatch(std::string_view command, const Streams& streams, int depth,
               std::span<const Binding> bindings);
  int openRedirections(const ParsedLine& parsed, std::span<const Binding> bindings,
                       const Streams& streams, Streams& redirected,
                       std::vector<std::unique_ptr<OutputFile>>& files);
  bool interrupted() const { return interrupted_ && interrupted_(); }

  int cmd(const Call& call);
  int forEach(const Call& call);
  int dir(const Call& call);
  int copy(const Call& call);
  int del(const Call& call);
  int sort(const Call& call);
  int find(const Call& call);
  int chcp(const Call& call);

  int list(const std::vector<Entry>& entries, const std::vector<Located>& patterns,
           std::string_view shownFolder, const Streams& streams);
  int copyInto(const std::vector<std::pair<std::string, std::string>>& sources, bool fromSystem,
               const std::optional<Argument>& destination, bool showNames, const Streams& streams);

  std::string& codePage_;
  Interrupted interrupted_;
  int commands_ = 0;
  /// Commands a line may run: widened once by the files the first loop takes, so a loop over
  /// a folder of any size runs for every file, while loops within loops stay bounded.
  int commandBudget_ = 0;
  bool budgetWidened_ = false;
};

}  // namespace sumquill::interpreter
