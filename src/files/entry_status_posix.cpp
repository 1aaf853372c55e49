#include <sys/stat.h>

#include <ctime>

#include "files/entry_status.h"

namespace sumquill {

std::optional<EntryStatus> entryStatus(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  EntryStatus status;
  status.regular = S_ISREG(info.st_mode);
  status.folder = S_ISDIR(info.st_mode);
  if (status.regular) status.size = static_cast<std::uintmax_t>(info.st_size);
  // localtime_r, unlike std::localtime, reads the time zone once per process rather than
  // looking at /etc/localtime again for every entry.
  if ((status.regular || status.folder) && !::localtime_r(&info.st_mtime, &status.modified)) {
    status.modified = std::tm{};
  }
  return status;
}

}  // namespace sumquill
