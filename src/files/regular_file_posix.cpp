#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "files/regular_file.h"

namespace sumquill {

namespace {

OpenedFile failed(int error) {
  OpenedFile result;
  result.error = error;
  if (error == ELOOP) {
    result.reason = "is a symbolic link";
  } else if (error == ENXIO || error == 0) {
    // ENXIO: a FIFO that nobody reads, opened without waiting for a reader.
    result.error = 0;
    result.reason = "is not a regular file";
  } else {
    result.reason = std::generic_category().message(error);
  }
  return result;
}

int flagsFor(OpenPurpose purpose) {
  // O_NOFOLLOW: a link of that name is refused, never followed. O_NONBLOCK: a FIFO or a device
  // is refused at once instead of waiting for the other side.
  const int common = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  switch (purpose) {
    case OpenPurpose::read:
      return common | O_RDONLY;
    case OpenPurpose::write:
      return common | O_WRONLY | O_CREAT;
    case OpenPurpose::append:
      return common | O_WRONLY | O_CREAT | O_APPEND;
  }
  return common | O_RDONLY;
}

/// Standard input, output and error that the program was started without must stay free of
/// its files: console output would land in a report.
int aboveStandardStreams(int fd) {
  if (fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

}  // namespace

OpenedFile openRegularFile(const std::string& name, OpenPurpose purpose) {
  int fd = ::open(name.c_str(), flagsFor(purpose), 0666);
  if (fd < 0) return failed(errno);
  fd = aboveStandardStreams(fd);
  if (fd < 0) return failed(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : 0;
    ::close(fd);
    return failed(error);
  }
  // Emptied only now that it is known to be a regular file: O_TRUNC would have emptied it
  // before the check.
  if (purpose == OpenPurpose::write && info.st_size != 0 && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    return failed(error);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  OpenedFile result;
  result.size = purpose == OpenPurpose::write ? 0 : static_cast<std::uintmax_t>(info.st_size);
  result.stream = ::fdopen(fd, purpose == OpenPurpose::read     ? "rb"
                               : purpose == OpenPurpose::append ? "ab"
                                                                : "wb");
  if (!result.stream) {
    const int error = errno;
    ::close(fd);
    return failed(error);
  }
  return result;
}

OpenedFile createNewFile(const std::string& name) {
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return failed(errno);
  fd = aboveStandardStreams(fd);
  if (fd < 0) return failed(errno);
  OpenedFile result;
  result.stream = ::fdopen(fd, "wb");
  if (!result.stream) {
    const int error = errno;
    ::close(fd);
    ::unlink(name.c_str());
    return failed(error);
  }
  return result;
}

std::string whyNotReplaceable(const std::string& name) {
  // Opened for writing as it is, without emptying it: the same answer as writing it would get.
  const int fd = ::open(name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? std::string() : failed(errno).reason;
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular ? std::string() : failed(0).reason;
}

std::string replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return {};
  return std::generic_category().message(errno);
}

void removeFile(const std::string& name) { ::unlink(name.c_str()); }

}  // namespace sumquill
