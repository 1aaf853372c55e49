#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "files/regular_file.h"

namespace sumquill {

namespace {

OpenedFile failed(int error, std::string reason) {
  OpenedFile result;
  result.error = error;
  result.reason = std::move(reason);
  return result;
}

OpenedFile failedWithLastError() {
  const DWORD code = GetLastError();
  const int error = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND     ? ENOENT
                    : code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ? EACCES
                                                                                     : EIO;
  return failed(error, std::system_category().message(static_cast<int>(code)));
}

}  // namespace

OpenedFile openRegularFile(const std::string& name, OpenPurpose purpose) {
  const bool reading = purpose == OpenPurpose::read;
  // FILE_FLAG_OPEN_REPARSE_POINT: a link of that name is opened as itself, so that it can be
  // refused below instead of being followed.
  const HANDLE handle = CreateFileA(name.c_str(), reading ? GENERIC_READ : GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    reading ? OPEN_EXISTING : OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return failedWithLastError();
  BY_HANDLE_FILE_INFORMATION info{};
  // A console, a printer port or a pipe of a device name ("CON", "LPT1") is not a disk file.
  const bool onDisk = GetFileType(handle) == FILE_TYPE_DISK;
  if (!onDisk || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    const bool link = onDisk && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    CloseHandle(handle);
    return failed(0, link ? "is a symbolic link" : "is not a regular file");
  }
  OpenedFile result;
  result.size = (static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (purpose == OpenPurpose::write) {
    result.size = 0;
    if (!SetEndOfFile(handle)) {
      OpenedFile failure = failedWithLastError();
      CloseHandle(handle);
      return failure;
    }
  }
  const int flags = _O_BINARY | (reading                          ? _O_RDONLY
                                 : purpose == OpenPurpose::append ? _O_WRONLY | _O_APPEND
                                                                  : _O_WRONLY);
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), flags);
  if (fd < 0) {
    CloseHandle(handle);
    return failed(EIO, "could not be opened");
  }
  result.stream = _fdopen(fd, reading ? "rb" : purpose == OpenPurpose::append ? "ab" : "wb");
  if (!result.stream) {
    _close(fd);
    return failed(EIO, "could not be opened");
  }
  return result;
}

OpenedFile createNewFile(const std::string& name) {
  // FILE_SHARE_DELETE: the console's control handler removes a temporary report that is still
  // open when the window is closed.
  const HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const bool exists = GetLastError() == ERROR_FILE_EXISTS;
    OpenedFile failure = failedWithLastError();
    if (exists) failure.error = EEXIST;
    return failure;
  }
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY | _O_WRONLY);
  if (fd < 0) {
    CloseHandle(handle);
    DeleteFileA(name.c_str());
    return failed(EIO, "could not be opened");
  }
  OpenedFile result;
  result.stream = _fdopen(fd, "wb");
  if (!result.stream) {
    _close(fd);
    DeleteFileA(name.c_str());
    return failed(EIO, "could not be opened");
  }
  return result;
}

std::string whyNotReplaceable(const std::string& name) {
  const HANDLE handle = CreateFileA(
      name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return {};
    return failedWithLastError().reason;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool onDisk = GetFileType(handle) == FILE_TYPE_DISK;
  const bool known = onDisk && GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return "is a symbolic link";
  }
  if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return "is not a regular file";
  }
  return {};
}

std::string replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
  return failedWithLastError().reason;
}

void removeFile(const std::string& name) { DeleteFileA(name.c_str()); }

}  // namespace sumquill
