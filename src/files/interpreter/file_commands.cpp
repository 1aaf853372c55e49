// dir, copy and del: the commands that list, copy and delete files.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "console/ascii.h"
#include "files/interpreter/session.h"

namespace sumquill::interpreter {

namespace {

/// An option such as "/q". A name put in by a variable, or written in quotes, is never one.
bool isSwitch(const Argument& argument) {
  return !argument.literal && !argument.quoted && !argument.text.empty() &&
         argument.text.front() == '/';
}

bool isFolder(const std::string& name) {
  std::error_code code;
  return std::filesystem::is_directory(std::filesystem::symlink_status(name, code));
}

std::string inWorkingDirectory(std::string_view name) {
  return (std::filesystem::path(workingDirectoryShown()) / std::string(name)).string();
}

/// Whether a listed entry is one that a name given to dir stands for.
bool listedBy(const Located& pattern, const Entry& entry) {
  return pattern.exact ? equalsIgnoringCase(pattern.pattern, entry.name)
                       : matchesPattern(pattern.pattern, entry.name);
}

}  // namespace

int Session::list(const std::vector<Entry>& entries, const std::vector<Located>& patterns,
                  std::string_view shownFolder, const Streams& streams) {
  writeLine(streams.out, " Volume in drive C has no label.");
  writeLine(streams.out, " Volume Serial Number is 5A3C-91E2");
  writeLine(streams.out, "");
  writeLine(streams.out, " Directory of " + std::string(shownFolder));
  writeLine(streams.out, "");
  std::uintmax_t files = 0, folders = 0, bytes = 0;
  for (const auto& entry : entries) {
    const bool listed = std::any_of(patterns.begin(), patterns.end(),
                                    [&](const Located& p) { return listedBy(p, entry); });
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

int Session::dir(const Call& call) {
  std::vector<Located> patterns;
  for (const auto& argument : call.arguments()) {
    if (isSwitch(argument)) {
      writeLine(call.streams.err, "Invalid switch - \"" + argument.text.substr(1) + "\".");
      return 1;
    }
    Located located = locate(argument.text, argument.literal);
    if (located.pattern == "." && !located.entry) located = {located.place, "*", false, false};
    const bool usable = located.place == Place::systemFolder ? isPlainPattern(located.pattern)
                                                             : located.inWorkingDirectory();
    if (!usable || (!patterns.empty() && patterns.front().place != located.place)) {
      writeLine(call.streams.err, kNoSuchPath);
      return 1;
    }
    patterns.push_back(std::move(located));
  }
  if (patterns.empty()) patterns.push_back({Place::workingDirectory, "*", false, false});
  if (patterns.front().place == Place::systemFolder) {
    return list(systemFolderEntries(), patterns, kSystemFolderShown, call.streams);
  }
  return list(workingDirectoryEntries(interrupted_), patterns, workingDirectoryShown(),
              call.streams);
}

int Session::copy(const Call& call) {
  std::vector<Argument> names;
  for (auto& argument : call.arguments()) {
    if (!isSwitch(argument)) names.push_back(std::move(argument));
  }
  const Streams& streams = call.streams;
  if (names.empty() || names.size() > 2) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  std::optional<Argument> destination;
  if (names.size() == 2) destination = names[1];
  const Located source = locate(names[0].text, names[0].literal);
  const bool fromSystem = source.place == Place::systemFolder;
  const bool goodSource = fromSystem ? isPlainPattern(source.pattern) : source.inWorkingDirectory();
  const bool goodDestination =
      !destination || isWritableName(destination->text, destination->literal);
  if (!goodSource || !goodDestination) {
    writeLine(streams.err, kNoSuchPath);
    writeLine(streams.out, "        0 file(s) copied.");
    return 1;
  }
  // Each source as (name shown, name in its folder). Only regular files are read: a link is
  // never followed out of the folder.
  std::vector<std::pair<std::string, std::string>> sources;
  if (fromSystem) {
    for (const auto& tool : matchingTools(source.pattern)) {
      sources.emplace_back(std::string(kSystemFolderShown) + "\\" + tool, tool);
    }
  } else {
    for (const auto& entry : matchingFiles(source.pattern, source.exact, interrupted_)) {
      if (entry.regular) sources.emplace_back(entry.name, entry.name);
    }
  }
  if (sources.empty()) {
    writeLine(streams.err, kNoSuchFile);
    writeLine(streams.out, "        0 file(s) copied.");
    return 1;
  }
  return copyInto(sources, fromSystem, destination, !source.exact, streams);
}

namespace {

/// The bytes a copy reads: a stand-in of the system folder, or a file of the working directory.
std::optional<std::string> contentOf(bool fromSystem, const std::string& name) {
  if (fromSystem) return std::string(toolContent(name));
  return readPlainFile(name);
}

/// Writes one copy whole; the message of its failure, or nothing.
std::optional<std::string_view> writeCopy(const std::string& target, const std::string& content) {
  std::string_view reason;
  auto out = OutputFile::open(target, false, reason);
  if (!out) return reason;
  out->write(content);
  return out->close();
}

}  // namespace

int Session::copyInto(const std::vector<std::pair<std::string, std::string>>& sources,
                      bool fromSystem, const std::optional<Argument>& destination, bool showNames,
                      const Streams& streams) {
  const bool intoFolder = destination && isFolder(destination->text);
  // Several files onto one name are joined into it, as cmd.exe does.
  const bool joined = destination && !intoFolder && sources.size() > 1;
  std::string joinedContent;
  int copied = 0;
  bool failed = false;
  for (const auto& [shown, name] : sources) {
    if (interrupted()) return 1;
    if (showNames || joined) writeLine(streams.out, shown);
    const std::string target = !destination ? name
                               : intoFolder ? destination->text + "/" + name
                                            : destination->text;
    const std::optional<std::string> content = contentOf(fromSystem, name);
    std::optional<std::string_view> failure;
    if (!content) {
      failure = kNoSuchFile;
    } else if (joined) {
      joinedContent += *content;
      continue;
    } else if (!fromSystem && target == name) {
      failure = "The file cannot be copied onto itself.";
    } else {
      failure = writeCopy(target, *content);
    }
    if (failure) writeLine(streams.err, *failure);
    failed = failed || failure;
    copied += failure ? 0 : 1;
  }
  if (joined) {
    const auto failure = writeCopy(destination->text, joinedContent);
    if (failure) writeLine(streams.err, *failure);
    failed = failed || failure;
    copied = failure ? 0 : 1;
  }
  writeLine(streams.out, padLeft(std::to_string(copied), 9) + " file(s) copied.");
  return failed || copied == 0 ? 1 : 0;
}

int Session::del(const Call& call) {
  const Streams& streams = call.streams;
  bool quiet = false;
  std::vector<Argument> names;
  for (auto& argument : call.arguments()) {
    const std::string option = isSwitch(argument) ? lowerAscii(argument.text) : std::string();
    if (option == "/q") {
      quiet = true;
    } else if (option == "/f") {
    } else if (!option.empty()) {
      writeLine(streams.err, "Invalid switch - " + argument.text.substr(1));
      return 1;
    } else {
      names.push_back(std::move(argument));
    }
  }
  if (names.empty()) {
    writeLine(streams.err, kSyntaxError);
    return 1;
  }
  for (const auto& name : names) {
    const Located located = locate(name.text, name.literal);
    if (!located.inWorkingDirectory()) {
      writeLine(streams.err, located.place == Place::systemFolder ? kAccessDenied : kNoSuchPath);
      continue;
    }
    // cmd.exe asks before it empties a whole folder; with nobody to answer, nothing goes.
    if (!quiet && !located.exact && (located.pattern == "*" || located.pattern == "*.*")) {
      writeLine(streams.out, inWorkingDirectory(located.pattern) + ", Are you sure (Y/N)? ");
      continue;
    }
    // Folders, and links to them, are left alone: only files are deleted, never what a folder
    // holds. A link goes as the link: what it leads to stays.
    const std::vector<Entry> files = matchingFiles(located.pattern, located.exact, interrupted_);
    if (files.empty()) writeLine(streams.err, "Could Not Find " + inWorkingDirectory(name.text));
    for (const auto& file : files) {
      if (interrupted()) return 1;
      if (::unlink(file.name.c_str()) != 0) {
        writeLine(streams.err, inWorkingDirectory(file.name));
        writeLine(streams.err, kAccessDenied);
      }
    }
  }
  return 0;
}

}  // namespace sumquill::interpreter
