#include "files/interpreter/listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "console/ascii.h"
#include "files/interpreter/paths.h"

namespace sumquill::interpreter {

namespace {

namespace fs = std::filesystem;

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

/// Local time without reading the time zone again for every entry, as std::localtime may.
std::tm localTime(std::time_t when) {
  std::tm time{};
  if (!::localtime_r(&when, &time)) return std::tm{};
  return time;
}

/// One name as it is, never through a link, except to tell whether a link leads to a folder.
/// Nothing when the name cannot be looked at (it vanished, or may not be read).
std::optional<Entry> statusOf(const std::string& name, const std::tm& folderTime) {
  struct stat info {};
  if (::lstat(name.c_str(), &info) != 0) return std::nullopt;
  Entry entry;
  entry.name = name;
  entry.regular = S_ISREG(info.st_mode);
  entry.folder = S_ISDIR(info.st_mode);
  if (S_ISLNK(info.st_mode)) {
    // A link to a folder is a folder to cmd.exe's commands: del would empty the folder it leads
    // to. Here it is left alone, as every folder is.
    struct stat target {};
    entry.linkToFolder = ::stat(name.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
  }
  if (entry.regular) entry.size = static_cast<std::uintmax_t>(info.st_size);
  entry.time = entry.regular || entry.folder ? localTime(info.st_mtime) : folderTime;
  return entry;
}

std::tm workingDirectoryTime() {
  struct stat info {};
  return ::stat(".", &info) == 0 ? localTime(info.st_mtime) : std::tm{};
}

std::string formatTime(const std::tm& time) {
  const int hour = time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d %s", time.tm_mon + 1, time.tm_mday,
                time.tm_year + 1900, hour, time.tm_min, time.tm_hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace

std::vector<Entry> workingDirectoryEntries(const Interrupted& interrupted) {
  const std::tm hereTime = workingDirectoryTime();
  std::vector<Entry> entries{{".", true, false, 0, hereTime}, {"..", true, false, 0, hereTime}};
  std::vector<Entry> others;
  const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir("."), ::closedir);
  if (!folder) return entries;
  while (const dirent* item = ::readdir(folder.get())) {
    const std::string_view name = item->d_name;
    if (name == "." || name == "..") continue;
    if (interrupted && interrupted()) break;
    if (auto entry = statusOf(std::string(name), hereTime)) others.push_back(std::move(*entry));
  }
  std::sort(others.begin(), others.end(),
            [](const Entry& a, const Entry& b) { return lessIgnoringCase(a.name, b.name); });
  entries.insert(entries.end(), std::make_move_iterator(others.begin()),
                 std::make_move_iterator(others.end()));
  return entries;
}

std::vector<Entry> entryNamed(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != name.npos) return {};
  auto entry = statusOf(std::string(name), workingDirectoryTime());
  if (!entry) return {};
  return {std::move(*entry)};
}

std::vector<Entry> systemFolderEntries() {
  std::vector<Entry> entries{{".", true, false, 0, kSystemToolTime},
                             {"..", true, false, 0, kSystemToolTime}};
  for (const auto& tool : kSystemTools) {
    entries.push_back({std::string(tool.name), false, true, tool.content.size(), kSystemToolTime});
  }
  return entries;
}

std::vector<Entry> matchingFiles(std::string_view pattern, bool exact,
                                 const Interrupted& interrupted) {
  std::vector<Entry> found;
  if (exact) {
    for (auto& entry : entryNamed(pattern)) {
      if (entry.file()) found.push_back(std::move(entry));
    }
    if (!found.empty()) return found;
  }
  for (auto& entry : workingDirectoryEntries(interrupted)) {
    const bool matches =
        exact ? equalsIgnoringCase(pattern, entry.name) : matchesPattern(pattern, entry.name);
    if (entry.file() && matches) found.push_back(std::move(entry));
  }
  return found;
}

std::string_view toolContent(std::string_view name) {
  for (const auto& tool : kSystemTools) {
    if (equalsIgnoringCase(tool.name, name)) return tool.content;
  }
  return {};
}

std::vector<std::string> matchingTools(std::string_view pattern) {
  std::vector<std::string> names;
  for (const auto& tool : kSystemTools) {
    if (matchesPattern(pattern, tool.name)) names.emplace_back(tool.name);
  }
  return names;
}

std::string entryLine(const Entry& entry) {
  const std::string sizeColumn =
      entry.folder ? std::string("    <DIR>         ") : padLeft(withThousands(entry.size), 18);
  return formatTime(entry.time) + sizeColumn + " " + entry.name;
}

std::uintmax_t bytesFree() {
  std::error_code code;
  const auto space = fs::space(".", code);
  return code ? 0 : space.available;
}

std::string workingDirectoryShown() {
  std::error_code ignored;
  return fs::current_path(ignored).string();
}

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

}  // namespace sumquill::interpreter
