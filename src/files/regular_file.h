// Opening the program's own files. Whatever a folder holds under a name, a link, a FIFO, a
// device or a socket, the program never writes through it or into it, and an open never waits:
// only a regular file of that very name is opened.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sumquill {

enum class OpenPurpose {
  read,    ///< An existing file, from its start.
  write,   ///< Created, or emptied when it is there.
  append,  ///< Created, or written on at its end.
};

struct OpenedFile {
  /// Binary, as the bytes are: nullptr when the open failed.
  std::FILE* stream = nullptr;
  /// The size when it was opened.
  std::uintmax_t size = 0;
  /// When the open failed: the system's error number, 0 when the name is not a regular file.
  int error = 0;
  /// When the open failed: why, in words ("is a symbolic link").
  std::string reason;
};

/// Opens `name`, a name of the working directory, as a regular file.
OpenedFile openRegularFile(const std::string& name, OpenPurpose purpose);

/// Creates `name` for writing; fails (with EEXIST) when anything of that name is there. The file
/// can be removed while it is open, on every system.
OpenedFile createNewFile(const std::string& name);

/// Why a file of this name may not be replaced: a link, a folder, a FIFO or device, a file the
/// user may not write. Empty when it may be, or when there is none.
std::string whyNotReplaceable(const std::string& name);

/// Puts the closed file `from` in place of `to` in one step, so that `to` is never seen half
/// written. Empty, or why not (the folder is gone, `from` was removed meanwhile).
std::string replaceFile(const std::string& from, const std::string& to);

/// Removes a file, if it can.
void removeFile(const std::string& name);

}  // namespace sumquill
