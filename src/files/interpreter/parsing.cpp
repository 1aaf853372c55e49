#include "files/interpreter/parsing.h"

#include <utility>

#include "console/ascii.h"

namespace sumquill::interpreter {

namespace {

/// The first character of `text` from `at` that is a variable of `bindings`, or nothing.
const Binding* bindingAt(std::string_view text, std::size_t at, std::span<const Binding> bindings) {
  for (const auto& binding : bindings) {
    if (!binding.variable.empty() && text.substr(at, binding.variable.size()) == binding.variable) {
      return &binding;
    }
  }
  return nullptr;
}

std::string replaceVariables(std::string_view text, std::span<const Binding> bindings,
                             bool& replaced) {
  std::string result;
  for (std::size_t i = 0; i < text.size();) {
    if (const Binding* binding = bindingAt(text, i, bindings)) {
      result += binding->value;
      i += binding->variable.size();
      replaced = true;
    } else {
      result += text[i++];
    }
  }
  return result;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<Argument> splitArguments(std::string_view text) {
  std::vector<Argument> result;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size()) break;
    const std::size_t start = i;
    Argument argument;
    bool inQuotes = false;
    while (i < text.size() && (inQuotes || !isBlank(text[i]))) {
      if (text[i] == '"') {
        inQuotes = !inQuotes;
      } else {
        argument.text += text[i];
      }
      ++i;
    }
    argument.quoted = i - start >= 2 && text[start] == '"' && text[i - 1] == '"';
    result.push_back(std::move(argument));
  }
  return result;
}

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
    const std::size_t start = i;
    bool targetQuoted = false;
    while (i < line.size() &&
           (targetQuoted || (!isBlank(line[i]) &&
                             std::string_view("<>|&").find(line[i]) == std::string_view::npos))) {
      if (line[i] == '"') targetQuoted = !targetQuoted;
      ++i;
    }
    auto target = splitArguments(line.substr(start, i - start));
    if (target.size() != 1 || target[0].text.empty()) return {"", {}, false};
    redirection.target = std::move(target[0]);
    parsed.redirections.push_back(std::move(redirection));
  }
  return parsed;
}

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

std::string substitutedText(std::string_view text, std::span<const Binding> bindings) {
  bool replaced = false;
  return replaceVariables(text, bindings, replaced);
}

Argument substituted(Argument argument, std::span<const Binding> bindings) {
  bool replaced = false;
  argument.text = replaceVariables(argument.text, bindings, replaced);
  argument.literal = argument.literal || replaced;
  return argument;
}

}  // namespace sumquill::interpreter
