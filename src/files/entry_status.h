// What a listing of the working directory needs to know of one name. Each platform reads it in
// its own way: a POSIX system in one lstat and a local time converted without reading the time
// zone again, Windows through std::filesystem.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

namespace sumquill {

/// One name as it is, never through a link.
struct EntryStatus {
  bool regular = false;     ///< A regular file; a link to one is not.
  bool folder = false;      ///< A folder; a link to one is not.
  std::uintmax_t size = 0;  ///< Regular files only.
  std::tm modified{};       ///< Local time; regular files and folders only.
};

/// Nothing when the name cannot be looked at (it vanished, or may not be read).
std::optional<EntryStatus> entryStatus(const std::filesystem::path& path);

}  // namespace sumquill
