#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "files/regular_file.h"

namespace sumquill {

std::optional<std::uintmax_t> regularFileSize(const std::string& name, std::string& reason) {
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) {
    reason = std::generic_category().message(errno);
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    reason = "not a regular file";
    return std::nullopt;
  }
  return static_cast<std::uintmax_t>(info.st_size);
}

}  // namespace sumquill
