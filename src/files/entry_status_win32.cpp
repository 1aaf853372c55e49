#include <chrono>
#include <ctime>
#include <system_error>

#include "files/entry_status.h"

namespace sumquill {

namespace fs = std::filesystem;

namespace {

std::tm localTime(fs::file_time_type time) {
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(time));
  const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
  std::tm local{};
  // The Windows order of arguments: the result first.
  return localtime_s(&local, &seconds) == 0 ? local : std::tm{};
}

}  // namespace

std::optional<EntryStatus> entryStatus(const fs::path& path) {
  std::error_code code;
  const auto type = fs::symlink_status(path, code);
  if (code) return std::nullopt;
  EntryStatus status;
  status.regular = fs::is_regular_file(type);
  status.folder = fs::is_directory(type);
  if (status.regular) {
    status.size = fs::file_size(path, code);
    if (code) status.size = 0;
  }
  if (status.regular || status.folder) {
    const auto time = fs::last_write_time(path, code);
    if (!code) status.modified = localTime(time);
  }
  return status;
}

}  // namespace sumquill
