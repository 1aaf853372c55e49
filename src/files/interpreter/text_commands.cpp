// sort, find and chcp: the tools that read text files, and the code page.
#include <algorithm>

#include "console/ascii.h"
#include "files/interpreter/session.h"

namespace sumquill::interpreter {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool isOption(const Argument& argument) {
  return !argument.literal && !argument.quoted && !argument.text.empty() &&
         argument.text.front() == '/';
}

/// The lines of a text file: split at line feeds, a carriage return before one dropped, a last
/// line without a line end kept.
std::vector<std::string> linesOfText(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    if (end == bytes.npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

int Session::sort(const Call& call) {
  const Streams& streams = call.streams;
  const auto args = call.arguments();
  std::optional<Argument> input, output;
  bool reverse = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string option = isOption(args[i]) ? lowerAscii(args[i].text) : std::string();
    if (option == "/r") {
      reverse = true;
    } else if (option == "/o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (!option.empty() || input) {
      writeLine(streams.err, "Invalid switch.");
      return 1;
    } else {
      input = args[i];
    }
  }
  // There is no standard input to sort: without a file the input is empty.
  std::optional<std::string> text = input ? readPlainFile(input->text) : std::string();
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
  if (!isWritableName(output->text, output->literal)) {
    writeLine(streams.err, kNoSuchPath);
    return 1;
  }
  std::string_view reason;
  auto file = OutputFile::open(output->text, false, reason);
  if (file) {
    file->write(sorted);
    if (const auto failure = file->close()) reason = *failure;
  }
  if (!reason.empty()) {
    writeLine(streams.err, reason);
    return 1;
  }
  return 0;
}

int Session::find(const Call& call) {
  const Streams& streams = call.streams;
  bool ignoreCase = false, invert = false, countOnly = false, numbered = false;
  std::optional<std::string> needle;
  std::vector<std::string> names;
  for (const auto& argument : call.arguments()) {
    const std::string option = isOption(argument) ? lowerAscii(argument.text) : std::string();
    if (option == "/i") {
      ignoreCase = true;
    } else if (option == "/v") {
      invert = true;
    } else if (option == "/c") {
      countOnly = true;
    } else if (option == "/n") {
      numbered = true;
    } else if (!option.empty()) {
      writeLine(streams.err, "FIND: Invalid switch");
      return 2;
    } else if (!needle) {
      if (!argument.quoted) {
        writeLine(streams.err, "FIND: Parameter format not correct");
        return 2;
      }
      needle = argument.text;
    } else {
      names.push_back(argument.text);
    }
  }
  if (!needle) {
    writeLine(streams.err, "FIND: Parameter format not correct");
    return 2;
  }
  const std::string wanted = ignoreCase ? lowerAscii(*needle) : *needle;
  bool found = false, missing = false;
  for (const auto& name : names) {
    const auto text = readPlainFile(name);
    if (!text) {
      writeLine(streams.err, "File not found - " + upperAscii(name));
      missing = true;
      continue;
    }
    std::string shown;
    std::size_t count = 0, number = 0;
    for (const auto& line : linesOfText(*text)) {
      ++number;
      const std::string searched = ignoreCase ? lowerAscii(line) : line;
      const bool contains = !wanted.empty() && searched.find(wanted) != std::string::npos;
      if (contains == invert) continue;
      ++count;
      if (numbered) shown += "[" + std::to_string(number) + "]";
      shown += line + std::string(kLineEnd);
    }
    found = found || count > 0;
    writeLine(streams.out, "");
    if (countOnly) {
      writeLine(streams.out, "---------- " + upperAscii(name) + ": " + std::to_string(count));
    } else {
      writeLine(streams.out, "---------- " + upperAscii(name));
      streams.out(shown);
    }
  }
  return found ? 0 : missing ? 2 : 1;
}

int Session::chcp(const Call& call) {
  const auto args = call.arguments();
  if (args.empty()) {
    writeLine(call.streams.out, "Active code page: " + codePage_);
    return 0;
  }
  const std::string& page = args[0].text;
  const bool digits =
      args.size() == 1 && !page.empty() && page.size() <= 5 &&
      std::all_of(page.begin(), page.end(), [](char c) { return c >= '0' && c <= '9'; });
  const long value = digits ? std::stol(page) : 0;
  if (value < 1 || value > 65535) {
    writeLine(call.streams.err, "Invalid code page");
    return 1;
  }
  codePage_ = std::to_string(value);
  writeLine(call.streams.out, "Active code page: " + codePage_);
  return 0;
}

}  // namespace sumquill::interpreter
