#include "files/interpreter/session.h"

#include <algorithm>
#include <array>

#include "console/ascii.h"

namespace sumquill::interpreter {

namespace {

// cmd.exe refuses longer command lines with this message; so do we, which also bounds the work
// one line can ask for.
constexpr std::size_t kMaxLineLength = 8191;
// Nested "cmd /c" and "for" bodies, and the commands one line may run beyond one loop over the
// files of the folder: a line of nested loops over many files could otherwise run for hours.
constexpr int kMaxDepth = 32;
constexpr int kMaxCommands = 10000;

constexpr std::string_view kBadName =
    "The filename, directory name, or volume label syntax is incorrect.";

}  // namespace

void writeLine(const Write& write, std::string_view text) {
  write(text);
  write("\r\n");
}

std::vector<Argument> Session::Call::arguments() const {
  std::vector<Argument> result;
  for (auto& argument : splitArguments(text)) {
    result.push_back(substituted(std::move(argument), bindings));
  }
  return result;
}

int Session::execute(std::string_view line, const Streams& streams, int depth,
                     std::span<const Binding> bindings) {
  if (line.size() > kMaxLineLength) {
    writeLine(streams.err, "The command line is too long.");
    return 1;
  }
  if (depth == 0) commandBudget_ = kMaxCommands;
  if (++commands_ > commandBudget_ || depth > kMaxDepth) {
    writeLine(streams.err, "The command line is nested or repeated too deeply to run.");
    return 1;
  }
  if (interrupted()) return 1;
  const ParsedLine parsed = parseRedirections(line);
  if (!parsed.valid) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  // The files are opened before the command runs, as cmd.exe does: a listing sees its own
  // output file, and a command whose output cannot be written does not run at all.
  std::vector<std::unique_ptr<OutputFile>> files;
  Streams redirected = streams;
  if (openRedirections(parsed, bindings, streams, redirected, files) != 0) return 1;
  int status = dispatch(parsed.command, redirected, depth, bindings);
  for (auto& file : files) {
    if (const auto failure = file->close()) {
      writeLine(streams.err, *failure);
      status = 1;
    }
  }
  return status;
}

int Session::openRedirections(const ParsedLine& parsed, std::span<const Binding> bindings,
                              const Streams& streams, Streams& redirected,
                              std::vector<std::unique_ptr<OutputFile>>& files) {
  for (const auto& redirection : parsed.redirections) {
    const Argument target = substituted(redirection.target, bindings);
    Write write = [](std::string_view) {};
    if (!equalsIgnoringCase(target.text, "nul")) {
      if (!isWritableName(target.text, target.literal)) {
        writeLine(streams.err, hasWildcard(target.text) || target.text.find(':') != target.text.npos
                                   ? kBadName
                                   : kNoSuchPath);
        return 1;
      }
      std::string_view reason;
      auto file = OutputFile::open(target.text, redirection.append, reason);
      if (!file) {
        writeLine(streams.err, reason);
        return 1;
      }
      OutputFile* stream = file.get();
      files.push_back(std::move(file));
      write = [stream](std::string_view bytes) { stream->write(bytes); };
    }
    (redirection.handle == 2 ? redirected.err : redirected.out) = std::move(write);
  }
  return 0;
}

int Session::dispatch(std::string_view command, const Streams& streams, int depth,
                      std::span<const Binding> bindings) {
  command = trimBlanks(command);
  if (command.empty()) return 0;
  const auto nameEnd = static_cast<std::size_t>(
      std::find_if(command.begin(), command.end(), isBlank) - command.begin());
  const std::string typed = substitutedText(command.substr(0, nameEnd), bindings);
  const Call call{command.substr(nameEnd), bindings, streams, depth};
  // The tools may be named with their extension, and with the system folder before them.
  std::string name = lowerAscii(typed);
  const Located where = locate(name);
  const bool inSystemFolder = where.place == Place::systemFolder;
  if (inSystemFolder) name = where.pattern;
  struct Command {
    std::string_view name;
    Handler handler;
    bool tool;  ///< A program of the system folder, not a command built into cmd.exe.
  };
  static constexpr std::array<Command, 13> kCommands{{
      {"cmd", &Session::cmd, true},
      {"cmd.exe", &Session::cmd, true},
      {"sort", &Session::sort, true},
      {"sort.exe", &Session::sort, true},
      {"find", &Session::find, true},
      {"find.exe", &Session::find, true},
      {"chcp", &Session::chcp, true},
      {"chcp.com", &Session::chcp, true},
      {"dir", &Session::dir, false},
      {"copy", &Session::copy, false},
      {"del", &Session::del, false},
      {"erase", &Session::del, false},
      {"for", &Session::forEach, false},
  }};
  for (const auto& entry : kCommands) {
    if (entry.name == name && (entry.tool || !inSystemFolder) &&
        (where.place != Place::elsewhere)) {
      return (this->*entry.handler)(call);
    }
  }
  writeLine(streams.err, "'" + typed + "' is not recognized as an internal or external command,");
  writeLine(streams.err, "operable program or batch file.");
  return 1;
}

int Session::cmd(const Call& call) {
  const std::string_view arguments = call.text;
  std::size_t i = 0;
  for (;;) {
    while (i < arguments.size() && isBlank(arguments[i])) ++i;
    if (i == arguments.size() || arguments[i] != '/') return 0;
    const auto end = static_cast<std::size_t>(
        std::find_if(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end(), isBlank) -
        arguments.begin());
    const std::string option = lowerAscii(arguments.substr(i, end - i));
    i = end;
    if (option == "/c" || option == "/k") break;
  }
  std::string rest(trimBlanks(arguments.substr(i)));
  // A command in double quotes loses the first and the last of them, as with cmd /s.
  if (!rest.empty() && rest.front() == '"') {
    rest.erase(0, 1);
    const auto last = rest.rfind('"');
    if (last != std::string::npos) rest.erase(last, 1);
  }
  return execute(rest, call.streams, call.depth + 1, call.bindings);
}

int Session::forEach(const Call& call) {
  const std::optional<ForLoop> loop = parseForLoop(call.text);
  if (!loop) {
    writeLine(call.streams.err, kSyntaxError);
    return 1;
  }
  // The whole set is taken before the first command runs, so a body that deletes or creates
  // files does not change what the loop visits.
  std::vector<std::string> items;
  for (const auto& item : Call{loop->set, call.bindings, call.streams, call.depth}.arguments()) {
    if (item.literal || !hasWildcard(item.text)) {
      items.push_back(item.text);
    } else if (isPlainPattern(item.text)) {
      for (auto& entry : matchingFiles(item.text, false, interrupted_)) {
        items.push_back(std::move(entry.name));
      }
    }
  }
  if (!budgetWidened_) {
    budgetWidened_ = true;
    commandBudget_ += static_cast<int>(std::min<std::size_t>(items.size(), 1 << 24));
  }
  const std::string prompt = workingDirectoryShown() + ">";
  std::vector<Binding> bindings(call.bindings.begin(), call.bindings.end());
  bindings.push_back({loop->variable, {}});
  int status = 0;
  for (auto& item : items) {
    if (interrupted()) return 1;
    bindings.back().value = std::move(item);
    // With echo on, cmd.exe shows each command of a loop before it runs it.
    writeLine(call.streams.out, "");
    writeLine(call.streams.out, prompt + substitutedText(loop->body, bindings));
    status = execute(loop->body, call.streams, call.depth + 1, bindings);
  }
  return status;
}

}  // namespace sumquill::interpreter
