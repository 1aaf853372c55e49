// What `dir` lists and what `copy`, `del` and `for` find by name: the entries of the working
// directory, read as they are (a link is never followed), and the system folder, which lives in
// memory and holds stand-ins of the Windows tools.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sumquill::interpreter {

/// True once the program has been asked to end; long listings and loops stop early.
using Interrupted = std::function<bool()>;

struct Entry {
  std::string name;
  bool folder = false;      ///< A folder; a link to one is not.
  bool regular = false;     ///< A regular file, not a link to one: what copy reads.
  std::uintmax_t size = 0;  ///< Regular files only.
  std::tm time{};           ///< Regular files and folders; the folder's own time for the rest.
  bool linkToFolder = false;

  /// What `del` and `for` take: anything but a folder or a link to one. Any other link is taken
  /// as the link itself, never as what it leads to.
  bool file() const { return !folder && !linkToFolder; }
};

/// The entries of the working directory, "." and ".." first and the rest ignoring case, as the
/// Windows file system keeps them.
std::vector<Entry> workingDirectoryEntries(const Interrupted& interrupted);

/// The one entry of that exact name, when there is one; a missing name gives nothing.
std::vector<Entry> entryNamed(std::string_view name);

/// The system folder: ".", ".." and the stand-ins.
std::vector<Entry> systemFolderEntries();

/// The working directory's files (see `Entry::file`) that match, in listing order. An exact
/// name is looked up as it is first, without a listing; only a name that is not there is looked
/// for ignoring case, in a listing.
std::vector<Entry> matchingFiles(std::string_view pattern, bool exact,
                                 const Interrupted& interrupted);

/// What `copy c:\windows\system32\NAME` writes for one of the stand-ins, or the empty text.
std::string_view toolContent(std::string_view name);

/// The names of the stand-ins that match the pattern, in listing order.
std::vector<std::string> matchingTools(std::string_view pattern);

/// One line of a listing: date, time, size or <DIR>, name.
std::string entryLine(const Entry& entry);

/// Bytes free on the working directory's file system, as a listing's last line shows them.
std::uintmax_t bytesFree();

/// The working directory as listings and prompts show it.
std::string workingDirectoryShown();

std::string padLeft(std::string_view text, std::size_t width);
std::string withThousands(std::uintmax_t value);

}  // namespace sumquill::interpreter
