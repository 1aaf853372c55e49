#include "files/command_interpreter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "files/entry_status.h"

namespace sumquill {

namespace fs = std::filesystem;

namespace {

using Write = std::function<void(std::string_view)>;

constexpr std::string_view kLineEnd = "\r\n";
// cmd.exe refuses longer command lines with this message; so do we, which also bounds the work
// one line can ask for.
constexpr std::size_t kMaxLineLength = 8191;
// Nested "cmd /c" and "for" bodies, and the commands one line may run in all: a line of
// nested loops over many files could otherwise run for hours.
constexpr int kMaxDepth = 32;
constexpr int kMaxCommands = 10000;

constexpr std::string_view kSyntaxError = "The syntax of the command is incorrect.";
constexpr std::string_view kAccessDenied = "Access is denied.";
constexpr std::string_view kNoSuchPath = "The system cannot find the path specified.";
constexpr std::string_view kNoSuchFile = "The system cannot find the file specified.";
constexpr std::string_view kBadName =
    "The filename, directory name, or volume label syntax is incorrect.";

/// The two streams of a command: output, which a redirection may send into a file, and the
/// error messages, which stay on the console.
struct Streams {
  Write out;
  Write err;
};

void writeLine(const Write& write, std::string_view text) {
  write(text);
  write(kLineEnd);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string lowerText(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), lowerAscii);
  return result;
}

std::string upperText(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), upperAscii);
  return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(lowerAscii(x)) < static_cast<unsigned char>(lowerAscii(y));
  });
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool hasWildcard(std::string_view name) { return name.find_first_of("*?") != name.npos; }

/// `*` and `?` against a name, ignoring case. A pattern ending in ".*" also takes a name
/// without any dot, so "*.*" means every name, as on Windows.
bool matchesPattern(std::string_view pattern, std::string_view name) {
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == name.npos && matchesPattern(pattern.substr(0, pattern.size() - 2), name)) {
    return true;
  }
  std::size_t p = 0, n = 0, starP = pattern.npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != pattern.npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

/// A name of a file directly in the working directory: no folder part, no device, nothing a
/// Windows file name may not hold. A pattern may hold wildcards besides.
bool isPlainPattern(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 32 ||
           std::string_view("\\/:<>|\"").find(c) != std::string_view::npos;
  });
}

bool isPlainName(std::string_view name) { return isPlainPattern(name) && !hasWildcard(name); }

/// The virtual system folder, in any letter case and with either slash.
constexpr std::string_view kSystemFolder = "c:\\windows\\system32";
constexpr std::string_view kSystemFolderShown = "C:\\Windows\\System32";

/// A name split into its folder part (without the last slash) and the name after it.
struct PathParts {
  std::optional<std::string> folder;  ///< Empty when the name has no slash.
  std::string name;
};

PathParts splitPath(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  if (slash == path.npos) return {std::nullopt, std::string(path)};
  return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

bool isSystemFolder(std::string_view folder) {
  std::string normal = lowerText(folder);
  std::replace(normal.begin(), normal.end(), '/', '\\');
  return normal == kSystemFolder;
}

/// Where a name given to dir or copy points.
enum class Place { workingDirectory, systemFolder, elsewhere };

struct Located {
  Place place;
  std::string pattern;  ///< The name part; "*" for a bare folder.
};

Located locate(std::string_view path) {
  if (isSystemFolder(path)) return {Place::systemFolder, "*"};
  PathParts parts = splitPath(path);
  if (!parts.folder) return {Place::workingDirectory, parts.name};
  if (!isSystemFolder(*parts.folder)) return {Place::elsewhere, parts.name};
  return {Place::systemFolder, parts.name.empty() ? std::string("*") : parts.name};
}

/// Splits arguments at blanks and tabs; double quotes group blanks into one argument and are
/// kept, so callers can tell a quoted text from a bare one.
std::vector<std::string> splitArguments(std::string_view text) {
  std::vector<std::string> result;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < text.size() && (quoted || !isBlank(text[i]))) {
      if (text[i] == '"') quoted = !quoted;
      argument += text[i++];
    }
    result.push_back(std::move(argument));
  }
  return result;
}

std::string withoutQuotes(std::string_view text) {
  std::string result;
  std::copy_if(text.begin(), text.end(), std::back_inserter(result),
               [](char c) { return c != '"'; });
  return result;
}

bool isSwitch(std::string_view argument) { return !argument.empty() && argument.front() == '/'; }

std::string padLeft(std::string_view text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + std::string(text);
}

std::string withThousands(std::uintmax_t value) {
  std::string digits = std::to_string(value);
  for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<std::size_t>(i), ",");
  }
  return digits;
}

/// The lines of a text file: split at line feeds, a carriage return before one dropped, a last
/// line without a line end kept.
std::vector<std::string> linesOfText(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    const bool last = end == bytes.npos;
    if (last) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

fs::path workingDirectory() {
  std::error_code ignored;
  return fs::current_path(ignored);
}

/// Reads a regular file of the working directory; a link is not followed out of it.
std::optional<std::string> readPlainFile(std::string_view name) {
  std::error_code code;
  if (!isPlainName(name) || !fs::is_regular_file(fs::symlink_status(name, code))) {
    return std::nullopt;
  }
  std::ifstream in{fs::path(name), std::ios::binary};
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Only a missing file or a regular one may be created or emptied: never a folder, a link or
/// a device.
bool mayWrite(const fs::path& path) {
  std::error_code code;
  const auto status = fs::symlink_status(path, code);
  return status.type() == fs::file_type::not_found || fs::is_regular_file(status);
}

/// Creates or empties a file for writing; nothing when it cannot be opened.
std::unique_ptr<std::ofstream> openForWriting(const fs::path& path, bool append) {
  if (!mayWrite(path)) return nullptr;
  auto out = std::make_unique<std::ofstream>(
      path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  if (!*out) return nullptr;
  return out;
}

// ---------------------------------------------------------------------------------------------
// The system folder in memory.

struct SystemTool {
  std::string_view name;
  std::string_view content;
};

constexpr std::array<SystemTool, 4> kSystemTools{{
    {"chcp.com",
     "chcp.com: a stand-in copied by Sumquill's built-in command interpreter.\r\n"
     "Sumquill runs the Windows commands it needs itself; this file is not a program.\r\n"},
    {"cmd.exe",
     "cmd.exe: a stand-in copied by Sumquill's built-in command interpreter.\r\n"
     "Sumquill runs the Windows commands it needs itself; this file is not a program.\r\n"},
    {"find.exe",
     "find.exe: a stand-in copied by Sumquill's built-in command interpreter.\r\n"
     "Sumquill runs the Windows commands it needs itself; this file is not a program.\r\n"},
    {"sort.exe",
     "sort.exe: a stand-in copied by Sumquill's built-in command interpreter.\r\n"
     "Sumquill runs the Windows commands it needs itself; this file is not a program.\r\n"},
}};

// The stand-ins' date in listings: fixed, so that listings of the folder do not change.
constexpr std::tm kSystemToolTime = [] {
  std::tm time{};
  time.tm_year = 2021 - 1900;
  time.tm_mon = 5;
  time.tm_mday = 5;
  time.tm_hour = 15;
  return time;
}();

// ---------------------------------------------------------------------------------------------
// Listings.

struct Entry {
  std::string name;
  bool folder = false;
  std::uintmax_t size = 0;
  std::tm time{};
  bool regular = false;  ///< A regular file, not a link to one: what copy, del and for take.
};

std::string formatTime(const std::tm& time) {
  const int hour = time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d %s", time.tm_mon + 1, time.tm_mday,
                time.tm_year + 1900, hour, time.tm_min, time.tm_hour < 12 ? "AM" : "PM");
  return text;
}

/// The entries of the working directory, "." and ".." first and the rest ignoring case, as
/// the Windows file system keeps them. Links are shown, never followed.
std::vector<Entry> workingDirectoryEntries() {
  const fs::path here = workingDirectory();
  const auto hereStatus = entryStatus(here);
  const std::tm hereTime = hereStatus ? hereStatus->modified : std::tm{};
  std::vector<Entry> entries{{".", true, 0, hereTime}, {"..", true, 0, hereTime}};
  std::vector<Entry> others;
  std::error_code code;
  for (fs::directory_iterator it(here, code), end; !code && it != end; it.increment(code)) {
    const auto status = entryStatus(it->path());
    if (!status) continue;
    others.push_back({it->path().filename().string(), status->folder, status->size,
                      status->regular || status->folder ? status->modified : hereTime,
                      status->regular});
  }
  std::sort(others.begin(), others.end(),
            [](const Entry& a, const Entry& b) { return lessIgnoringCase(a.name, b.name); });
  entries.insert(entries.end(), others.begin(), others.end());
  return entries;
}

std::vector<Entry> systemFolderEntries() {
  std::vector<Entry> entries{{".", true, 0, kSystemToolTime}, {"..", true, 0, kSystemToolTime}};
  for (const auto& tool : kSystemTools) {
    entries.push_back({std::string(tool.name), false, tool.content.size(), kSystemToolTime, true});
  }
  return entries;
}

/// The names of the working directory's regular files that match, in listing order.
std::vector<std::string> matchingFiles(std::string_view pattern) {
  std::vector<std::string> names;
  for (const auto& entry : workingDirectoryEntries()) {
    if (entry.regular && matchesPattern(pattern, entry.name)) {
      names.push_back(entry.name);
    }
  }
  return names;
}

std::uintmax_t bytesFree() {
  std::error_code code;
  const auto space = fs::space(workingDirectory(), code);
  return code ? 0 : space.available;
}

std::string entryLine(const Entry& entry) {
  const std::string sizeColumn =
      entry.folder ? std::string("    <DIR>         ") : padLeft(withThousands(entry.size), 18);
  return formatTime(entry.time) + sizeColumn + " " + entry.name;
}

// ---------------------------------------------------------------------------------------------
// One run of a command line.

/// A redirection of a stream into a file: "> name", ">> name", "2> name".
struct Redirection {
  int handle = 1;
  bool append = false;
  std::string target;
};

struct ParsedLine {
  std::string command;
  std::vector<Redirection> redirections;
  bool valid = true;
};

/// Takes the redirections out of a line, outside double quotes; the rest is the command.
/// Pipes, "&" and input redirection are not part of what this interpreter understands.
ParsedLine parseRedirections(std::string_view line) {
  ParsedLine parsed;
  bool quoted = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == '"') quoted = !quoted;
    if (quoted || (c != '>' && c != '<' && c != '|' && c != '&')) {
      parsed.command += c;
      ++i;
      continue;
    }
    if (c != '>') return {"", {}, false};
    Redirection redirection;
    const bool handleBefore = !parsed.command.empty() &&
                              (parsed.command.back() == '1' || parsed.command.back() == '2') &&
                              (parsed.command.size() == 1 || isBlank(parsed.command.end()[-2]));
    if (handleBefore) {
      redirection.handle = parsed.command.back() - '0';
      parsed.command.pop_back();
    }
    ++i;
    if (i < line.size() && line[i] == '>') {
      redirection.append = true;
      ++i;
    }
    while (i < line.size() && isBlank(line[i])) ++i;
    bool targetQuoted = false;
    while (i < line.size() &&
           (targetQuoted || (!isBlank(line[i]) &&
                             std::string_view("<>|&").find(line[i]) == std::string_view::npos))) {
      if (line[i] == '"') targetQuoted = !targetQuoted;
      redirection.target += line[i++];
    }
    redirection.target = withoutQuotes(redirection.target);
    if (redirection.target.empty()) return {"", {}, false};
    parsed.redirections.push_back(std::move(redirection));
  }
  return parsed;
}

class Session {
 public:
  explicit Session(std::string& codePage) : codePage_(codePage) {}

  int execute(std::string_view line, const Streams& streams, int depth);

 private:
  using Handler = int (Session::*)(std::string_view arguments, const Streams& streams, int depth);

  int dispatch(std::string_view command, const Streams& streams, int depth);
  int notRecognized(std::string_view name, const Streams& streams);
  int cmd(std::string_view arguments, const Streams& streams, int depth);
  int dir(std::string_view arguments, const Streams& streams, int depth);
  int copy(std::string_view arguments, const Streams& streams, int depth);
  int del(std::string_view arguments, const Streams& streams, int depth);
  int forEach(std::string_view arguments, const Streams& streams, int depth);
  int sort(std::string_view arguments, const Streams& streams, int depth);
  int find(std::string_view arguments, const Streams& streams, int depth);
  int chcp(std::string_view arguments, const Streams& streams, int depth);

  int list(const std::vector<Entry>& entries, const std::vector<std::string>& patterns,
           std::string_view shownFolder, const Streams& streams);
  int copyInto(const std::vector<std::pair<std::string, std::string>>& sources, bool fromSystem,
               const std::optional<std::string>& destination, bool showNames,
               const Streams& streams);

  std::string& codePage_;
  int commands_ = 0;
};

int Session::execute(std::string_view line, const Streams& streams, int depth) {
  if (line.size() > kMaxLineLength) {
    writeLine(streams.err, "The command line is too long.");
    return 1;
  }
  if (++commands_ > kMaxCommands || depth > kMaxDepth) {
    writeLine(streams.err, "The command line is nested or repeated too deeply to run.");
    return 1;
  }
  ParsedLine parsed = parseRedirections(line);
  if (!parsed.valid) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  // The files are opened before the command runs, as cmd.exe does: a listing sees its own
  // output file, and a command whose output cannot be written does not run at all.
  std::vector<std::unique_ptr<std::ofstream>> files;
  Streams redirected = streams;
  for (const auto& redirection : parsed.redirections) {
    Write write = [](std::string_view) {};
    if (!equalsIgnoringCase(redirection.target, "nul")) {
      if (!isPlainName(redirection.target)) {
        writeLine(streams.err, hasWildcard(redirection.target) ||
                                       redirection.target.find(':') != std::string::npos
                                   ? kBadName
                                   : kNoSuchPath);
        return 1;
      }
      auto file = openForWriting(redirection.target, redirection.append);
      if (!file) {
        writeLine(streams.err, kAccessDenied);
        return 1;
      }
      std::ofstream* stream = file.get();
      files.push_back(std::move(file));
      write = [stream](std::string_view bytes) {
        stream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      };
    }
    (redirection.handle == 2 ? redirected.err : redirected.out) = std::move(write);
  }
  return dispatch(parsed.command, redirected, depth);
}

int Session::dispatch(std::string_view command, const Streams& streams, int depth) {
  command = trimBlanks(command);
  if (command.empty()) return 0;
  const auto nameEnd = std::find_if(command.begin(), command.end(), isBlank) - command.begin();
  const std::string_view typed = command.substr(0, static_cast<std::size_t>(nameEnd));
  const std::string_view arguments = command.substr(static_cast<std::size_t>(nameEnd));
  // The tools may be named with their extension, and with the system folder before them.
  std::string name = lowerText(typed);
  const PathParts parts = splitPath(name);
  const bool inSystemFolder = parts.folder && isSystemFolder(*parts.folder);
  if (inSystemFolder) name = parts.name;
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
    if (entry.name == name && (entry.tool || !inSystemFolder)) {
      return (this->*entry.handler)(arguments, streams, depth);
    }
  }
  return notRecognized(typed, streams);
}

int Session::notRecognized(std::string_view name, const Streams& streams) {
  writeLine(streams.err,
            "'" + std::string(name) + "' is not recognized as an internal or external command,");
  writeLine(streams.err, "operable program or batch file.");
  return 1;
}

int Session::cmd(std::string_view arguments, const Streams& streams, int depth) {
  std::size_t i = 0;
  for (;;) {
    while (i < arguments.size() && isBlank(arguments[i])) ++i;
    if (i == arguments.size() || arguments[i] != '/') return 0;
    const auto end =
        std::find_if(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end(), isBlank) -
        arguments.begin();
    const std::string option = lowerText(arguments.substr(i, static_cast<std::size_t>(end) - i));
    i = static_cast<std::size_t>(end);
    if (option == "/c" || option == "/k") break;
  }
  std::string rest(trimBlanks(arguments.substr(i)));
  // A command in double quotes loses the first and the last of them, as with cmd /s.
  if (!rest.empty() && rest.front() == '"') {
    rest.erase(0, 1);
    const auto last = rest.rfind('"');
    if (last != std::string::npos) rest.erase(last, 1);
  }
  return execute(rest, streams, depth + 1);
}

int Session::list(const std::vector<Entry>& entries, const std::vector<std::string>& patterns,
                  std::string_view shownFolder, const Streams& streams) {
  writeLine(streams.out, " Volume in drive C has no label.");
  writeLine(streams.out, " Volume Serial Number is 5A3C-91E2");
  writeLine(streams.out, "");
  writeLine(streams.out, " Directory of " + std::string(shownFolder));
  writeLine(streams.out, "");
  std::uintmax_t files = 0, folders = 0, bytes = 0;
  for (const auto& entry : entries) {
    const bool listed = std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
      return matchesPattern(p, entry.name);
    });
    if (!listed) continue;
    writeLine(streams.out, entryLine(entry));
    (entry.folder ? folders : files) += 1;
    if (!entry.folder) bytes += entry.size;
  }
  if (files + folders == 0) {
    writeLine(streams.err, "File Not Found");
    return 1;
  }
  writeLine(streams.out, padLeft(std::to_string(files), 16) + " File(s)" +
                             padLeft(withThousands(bytes), 15) + " bytes");
  writeLine(streams.out, padLeft(std::to_string(folders), 16) + " Dir(s)" +
                             padLeft(withThousands(bytesFree()), 16) + " bytes free");
  return 0;
}

int Session::dir(std::string_view arguments, const Streams& streams, int) {
  std::vector<std::string> patterns;
  std::optional<Place> place;
  for (const auto& argument : splitArguments(arguments)) {
    if (isSwitch(argument)) {
      writeLine(streams.err, "Invalid switch - \"" + argument.substr(1) + "\".");
      return 1;
    }
    Located located = locate(withoutQuotes(argument));
    if (located.pattern == ".") located.pattern = "*";
    if (located.place == Place::elsewhere || !isPlainPattern(located.pattern) ||
        (place && *place != located.place)) {
      writeLine(streams.err, kNoSuchPath);
      return 1;
    }
    place = located.place;
    patterns.push_back(located.pattern);
  }
  if (patterns.empty()) patterns.push_back("*");
  if (place == Place::systemFolder) {
    return list(systemFolderEntries(), patterns, kSystemFolderShown, streams);
  }
  return list(workingDirectoryEntries(), patterns, workingDirectory().string(), streams);
}

int Session::copy(std::string_view arguments, const Streams& streams, int) {
  std::vector<std::string> names;
  for (const auto& argument : splitArguments(arguments)) {
    if (!isSwitch(argument)) names.push_back(withoutQuotes(argument));
  }
  if (names.empty() || names.size() > 2) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  std::optional<std::string> destination;
  if (names.size() == 2) destination = names[1];
  const Located source = locate(names[0]);
  const bool badPattern = !isPlainPattern(source.pattern);
  if (source.place == Place::elsewhere || badPattern ||
      (destination && !isPlainName(*destination))) {
    writeLine(streams.err, kNoSuchPath);
    writeLine(streams.out, "        0 file(s) copied.");
    return 1;
  }
  // Each source as (name shown, name in its folder).
  std::vector<std::pair<std::string, std::string>> sources;
  const bool fromSystem = source.place == Place::systemFolder;
  if (fromSystem) {
    for (const auto& tool : kSystemTools) {
      if (matchesPattern(source.pattern, tool.name)) {
        sources.emplace_back(std::string(kSystemFolderShown) + "\\" + std::string(tool.name),
                             std::string(tool.name));
      }
    }
  } else {
    for (const auto& name : matchingFiles(source.pattern)) sources.emplace_back(name, name);
  }
  if (sources.empty()) {
    writeLine(streams.err, kNoSuchFile);
    writeLine(streams.out, "        0 file(s) copied.");
    return 1;
  }
  return copyInto(sources, fromSystem, destination, hasWildcard(source.pattern), streams);
}

/// The bytes a copy reads: a stand-in of the system folder, or a file of the working directory.
std::optional<std::string> contentOf(bool fromSystem, const std::string& name) {
  if (fromSystem) return std::string(CommandInterpreter::toolContent(name));
  return readPlainFile(name);
}

/// Writes one copy; the message of its failure, or nothing.
std::optional<std::string_view> writeCopy(const fs::path& target, const std::string& content) {
  auto out = openForWriting(target, false);
  if (!out) return kAccessDenied;
  out->write(content.data(), static_cast<std::streamsize>(content.size()));
  return std::nullopt;
}

int Session::copyInto(const std::vector<std::pair<std::string, std::string>>& sources,
                      bool fromSystem, const std::optional<std::string>& destination,
                      bool showNames, const Streams& streams) {
  std::error_code code;
  const bool intoFolder = destination && fs::is_directory(fs::symlink_status(*destination, code));
  // Several files onto one name are joined into it, as cmd.exe does.
  const bool joined = destination && !intoFolder && sources.size() > 1;
  std::string joinedContent;
  int copied = 0;
  bool failed = false;
  for (const auto& [shown, name] : sources) {
    if (showNames || joined) writeLine(streams.out, shown);
    const fs::path target = !destination ? fs::path(name)
                            : intoFolder ? fs::path(*destination) / name
                                         : fs::path(*destination);
    const std::optional<std::string> content = contentOf(fromSystem, name);
    std::optional<std::string_view> failure;
    if (!content) {
      failure = kNoSuchFile;
    } else if (joined) {
      joinedContent += *content;
      continue;
    } else if (!fromSystem && target == fs::path(name)) {
      failure = "The file cannot be copied onto itself.";
    } else {
      failure = writeCopy(target, *content);
    }
    if (failure) writeLine(streams.err, *failure);
    failed = failed || failure;
    copied += failure ? 0 : 1;
  }
  if (joined) {
    const auto failure = writeCopy(*destination, joinedContent);
    if (failure) writeLine(streams.err, *failure);
    failed = failed || failure;
    copied = failure ? 0 : 1;
  }
  writeLine(streams.out, padLeft(std::to_string(copied), 9) + " file(s) copied.");
  return failed || copied == 0 ? 1 : 0;
}

int Session::del(std::string_view arguments, const Streams& streams, int) {
  bool quiet = false;
  std::vector<std::string> names;
  for (const auto& argument : splitArguments(arguments)) {
    const std::string option = lowerText(argument);
    if (option == "/q") {
      quiet = true;
    } else if (option == "/f") {
    } else if (isSwitch(argument)) {
      writeLine(streams.err, "Invalid switch - " + argument.substr(1));
      return 1;
    } else {
      names.push_back(withoutQuotes(argument));
    }
  }
  if (names.empty()) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  const fs::path here = workingDirectory();
  for (const auto& name : names) {
    if (!isPlainPattern(name)) {
      writeLine(streams.err,
                locate(name).place == Place::systemFolder ? kAccessDenied : kNoSuchPath);
      continue;
    }
    // cmd.exe asks before it empties a whole folder; with nobody to answer, nothing goes.
    if (!quiet && (name == "*" || name == "*.*")) {
      writeLine(streams.out, (here / name).string() + ", Are you sure (Y/N)? ");
      continue;
    }
    // Folders are left alone: only files are deleted, never what a folder holds.
    const std::vector<std::string> files = matchingFiles(name);
    if (files.empty()) writeLine(streams.err, "Could Not Find " + (here / name).string());
    for (const auto& file : files) {
      std::error_code code;
      if (!fs::remove(file, code) || code) {
        writeLine(streams.err, (here / file).string());
        writeLine(streams.err, kAccessDenied);
      }
    }
  }
  return 0;
}

/// The parts of "for %i in (SET) do COMMAND".
struct ForLoop {
  std::string variable;  ///< "%i"
  std::string_view set;
  std::string_view body;
};

/// Takes `text` apart, or nothing when it does not have the shape of a loop.
std::optional<ForLoop> parseForLoop(std::string_view text) {
  std::string_view rest = trimBlanks(text);
  const auto startsWithWord = [&rest](std::string_view word) {
    return rest.size() > word.size() && equalsIgnoringCase(rest.substr(0, word.size()), word);
  };
  if (rest.size() < 2 || rest[0] != '%') return std::nullopt;
  if (rest[1] == '%') rest.remove_prefix(1);  // the batch-file spelling %%i
  if (rest.size() < 2 || isBlank(rest[1])) return std::nullopt;
  ForLoop loop{{'%', rest[1]}, {}, {}};
  rest = trimBlanks(rest.substr(2));
  if (!startsWithWord("in")) return std::nullopt;
  rest = trimBlanks(rest.substr(2));
  const auto close = rest.find(')');
  if (rest.empty() || rest.front() != '(' || close == rest.npos) return std::nullopt;
  loop.set = rest.substr(1, close - 1);
  rest = trimBlanks(rest.substr(close + 1));
  if (!startsWithWord("do") || !isBlank(rest[2])) return std::nullopt;
  loop.body = trimBlanks(rest.substr(2));
  if (loop.body.empty()) return std::nullopt;
  return loop;
}

int Session::forEach(std::string_view arguments, const Streams& streams, int depth) {
  const std::optional<ForLoop> loop = parseForLoop(arguments);
  if (!loop) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  // The whole set is taken before the first command runs, so a body that deletes or creates
  // files does not change what the loop visits.
  std::vector<std::string> items;
  for (const auto& item : splitArguments(loop->set)) {
    if (!hasWildcard(item)) {
      items.push_back(item);
    } else if (isPlainPattern(withoutQuotes(item))) {
      const auto files = matchingFiles(withoutQuotes(item));
      items.insert(items.end(), files.begin(), files.end());
    }
  }
  const std::string prompt = workingDirectory().string() + ">";
  int status = 0;
  for (const auto& item : items) {
    std::string command(loop->body);
    for (auto at = command.find(loop->variable); at != std::string::npos;
         at = command.find(loop->variable, at + item.size())) {
      command.replace(at, loop->variable.size(), item);
    }
    // With echo on, cmd.exe shows each command of a loop before it runs it.
    writeLine(streams.out, "");
    writeLine(streams.out, prompt + command);
    status = execute(command, streams, depth + 1);
  }
  return status;
}

int Session::sort(std::string_view arguments, const Streams& streams, int) {
  const auto args = splitArguments(arguments);
  std::optional<std::string> input, output;
  bool reverse = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string option = lowerText(args[i]);
    if (option == "/r") {
      reverse = true;
    } else if (option == "/o" && i + 1 < args.size()) {
      output = withoutQuotes(args[++i]);
    } else if (isSwitch(option) || input) {
      writeLine(streams.err, "Invalid switch.");
      return 1;
    } else {
      input = withoutQuotes(args[i]);
    }
  }
  // There is no standard input to sort: without a file the input is empty.
  std::optional<std::string> text = input ? readPlainFile(*input) : std::string();
  if (!text) {
    writeLine(streams.err, kNoSuchFile);
    return 1;
  }
  std::vector<std::string> lines = linesOfText(*text);
  std::stable_sort(lines.begin(), lines.end(), [reverse](const auto& a, const auto& b) {
    return reverse ? lessIgnoringCase(b, a) : lessIgnoringCase(a, b);
  });
  std::string sorted;
  for (const auto& line : lines) sorted += line + std::string(kLineEnd);
  if (!output) {
    streams.out(sorted);
    return 0;
  }
  auto file = isPlainName(*output) ? openForWriting(*output, false) : nullptr;
  if (!file) {
    writeLine(streams.err, isPlainName(*output) ? kAccessDenied : kNoSuchPath);
    return 1;
  }
  file->write(sorted.data(), static_cast<std::streamsize>(sorted.size()));
  return 0;
}

int Session::find(std::string_view arguments, const Streams& streams, int) {
  bool ignoreCase = false, invert = false, countOnly = false, numbered = false;
  std::optional<std::string> needle;
  std::vector<std::string> names;
  for (const auto& argument : splitArguments(arguments)) {
    const std::string option = lowerText(argument);
    if (option == "/i") {
      ignoreCase = true;
    } else if (option == "/v") {
      invert = true;
    } else if (option == "/c") {
      countOnly = true;
    } else if (option == "/n") {
      numbered = true;
    } else if (isSwitch(argument)) {
      writeLine(streams.err, "FIND: Invalid switch");
      return 2;
    } else if (!needle) {
      if (argument.size() < 2 || argument.front() != '"' || argument.back() != '"') {
        writeLine(streams.err, "FIND: Parameter format not correct");
        return 2;
      }
      needle = argument.substr(1, argument.size() - 2);
    } else {
      names.push_back(withoutQuotes(argument));
    }
  }
  if (!needle) {
    writeLine(streams.err, "FIND: Parameter format not correct");
    return 2;
  }
  const std::string wanted = ignoreCase ? lowerText(*needle) : *needle;
  bool found = false, missing = false;
  for (const auto& name : names) {
    const auto text = readPlainFile(name);
    if (!text) {
      writeLine(streams.err, "File not found - " + upperText(name));
      missing = true;
      continue;
    }
    std::string shown;
    std::size_t count = 0, number = 0;
    for (const auto& line : linesOfText(*text)) {
      ++number;
      const std::string searched = ignoreCase ? lowerText(line) : line;
      const bool contains = !wanted.empty() && searched.find(wanted) != std::string::npos;
      if (contains == invert) continue;
      ++count;
      if (numbered) shown += "[" + std::to_string(number) + "]";
      shown += line + std::string(kLineEnd);
    }
    found = found || count > 0;
    writeLine(streams.out, "");
    if (countOnly) {
      writeLine(streams.out, "---------- " + upperText(name) + ": " + std::to_string(count));
    } else {
      writeLine(streams.out, "---------- " + upperText(name));
      streams.out(shown);
    }
  }
  return found ? 0 : missing ? 2 : 1;
}

int Session::chcp(std::string_view arguments, const Streams& streams, int) {
  const auto args = splitArguments(arguments);
  if (args.empty()) {
    writeLine(streams.out, "Active code page: " + codePage_);
    return 0;
  }
  const std::string& page = args[0];
  const bool digits =
      args.size() == 1 && !page.empty() && page.size() <= 5 &&
      std::all_of(page.begin(), page.end(), [](char c) { return c >= '0' && c <= '9'; });
  const long value = digits ? std::stol(page) : 0;
  if (value < 1 || value > 65535) {
    writeLine(streams.err, "Invalid code page");
    return 1;
  }
  codePage_ = std::to_string(value);
  writeLine(streams.out, "Active code page: " + codePage_);
  return 0;
}

}  // namespace

CommandInterpreter::CommandInterpreter(std::function<void(std::string_view)> console)
    : console_(std::move(console)) {}

int CommandInterpreter::run(const std::string& commandLine) {
  const Streams console{console_, console_};
  Session session(codePage_);
  return session.execute(commandLine, console, 0);
}

std::string_view CommandInterpreter::toolContent(std::string_view name) {
  for (const auto& tool : kSystemTools) {
    if (equalsIgnoringCase(tool.name, name)) return tool.content;
  }
  return {};
}

}  // namespace sumquill
