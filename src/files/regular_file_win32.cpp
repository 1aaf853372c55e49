#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "files/regular_file.h"

namespace sumquill {

std::optional<std::uintmax_t> regularFileSize(const std::string& name, std::string& reason) {
  // The narrow name in the ANSI code page, as std::fopen reads it too.
  struct _stat64 info {};
  if (::_stat64(name.c_str(), &info) != 0) {
    reason = std::generic_category().message(errno);
    return std::nullopt;
  }
  if ((info.st_mode & _S_IFMT) != _S_IFREG) {
    reason = "not a regular file";
    return std::nullopt;
  }
  return static_cast<std::uintmax_t>(info.st_size);
}

}  // namespace sumquill
