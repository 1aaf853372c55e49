// Which file a name given to a command stands for. The interpreter reads and writes plain names
// of the working directory only; the one folder besides it is c:\windows\system32, which lives
// in memory (see listing.h).
#pragma once

#include <string>
#include <string_view>

namespace sumquill::interpreter {

/// The system folder as listings show it.
inline constexpr std::string_view kSystemFolderShown = "C:\\Windows\\System32";

/// True when the name holds `*` or `?`.
bool hasWildcard(std::string_view name);

/// `*` and `?` against a name, ignoring case. A pattern ending in ".*" also takes a name
/// without any dot, so "*.*" means every name, as on Windows.
bool matchesPattern(std::string_view pattern, std::string_view name);

/// A name of a file directly in the working directory: no folder part, no device, nothing a
/// Windows file name may not hold. A pattern may hold wildcards besides.
bool isPlainPattern(std::string_view name);
bool isPlainName(std::string_view name);

/// Where a name given to a command points.
enum class Place { workingDirectory, systemFolder, elsewhere };

struct Located {
  Place place = Place::elsewhere;
  /// The name part; "*" for a bare folder.
  std::string pattern;
  /// The pattern is one name, matched as it is: it has no wildcard, or its text came from a
  /// `for` variable, where `*` and `?` are characters of a listed name.
  bool exact = false;
  /// The name is that of an entry of the working directory, taken as it is (see `locate`).
  bool entry = false;

  /// A name or pattern of the working directory that a command may take.
  bool inWorkingDirectory() const {
    return place == Place::workingDirectory && (entry || isPlainPattern(pattern));
  }
};

/// Splits a name into its folder and the name within it. A `literal` name (one put in by a
/// `for` variable) that is the name of an entry of the working directory is that entry, whatever
/// characters it holds: on POSIX a listed name may hold backslashes, colons and the like.
Located locate(std::string_view path, bool literal = false);

/// A name a command may create or write: a plain name of the working directory, or the name of
/// an entry there as a `for` variable put it in.
bool isWritableName(std::string_view name, bool literal);

}  // namespace sumquill::interpreter
