#include "files/interpreter/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "console/ascii.h"

namespace sumquill::interpreter {

namespace {

constexpr std::string_view kSystemFolder = "c:\\windows\\system32";

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
  std::string normal = lowerAscii(folder);
  std::replace(normal.begin(), normal.end(), '/', '\\');
  return normal == kSystemFolder;
}

/// A name the file system could hold in this folder, and does.
bool isEntryHere(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != name.npos ||
      name.find('\0') != name.npos) {
    return false;
  }
  struct stat info {};
  return ::lstat(std::string(name).c_str(), &info) == 0;
}

}  // namespace

bool hasWildcard(std::string_view name) { return name.find_first_of("*?") != name.npos; }

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

bool isPlainPattern(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 32 ||
           std::string_view("\\/:<>|\"").find(c) != std::string_view::npos;
  });
}

bool isPlainName(std::string_view name) { return isPlainPattern(name) && !hasWildcard(name); }

Located locate(std::string_view path, bool literal) {
  if (literal && isEntryHere(path)) {
    return {Place::workingDirectory, std::string(path), true, true};
  }
  if (isSystemFolder(path)) return {Place::systemFolder, "*", false};
  PathParts parts = splitPath(path);
  Place place = Place::workingDirectory;
  if (parts.folder) place = isSystemFolder(*parts.folder) ? Place::systemFolder : Place::elsewhere;
  if (parts.folder && parts.name.empty()) parts.name = "*";
  const bool exact = literal || !hasWildcard(parts.name);
  return {place, std::move(parts.name), exact, false};
}

bool isWritableName(std::string_view name, bool literal) {
  return (literal && locate(name, true).entry) || isPlainName(name);
}

}  // namespace sumquill::interpreter
