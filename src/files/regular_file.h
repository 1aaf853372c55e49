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

}  // namespace sumquill
