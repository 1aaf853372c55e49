// Loaded with LD_PRELOAD by the end-to-end tests: /dev/null cannot be opened, as in a minimal
// container without it, so the program must keep its closed standard streams out of its files
// another way. Every other open goes to the C library as it is.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace {

bool refused(const char* path) { return path != nullptr && std::strcmp(path, "/dev/null") == 0; }

template <typename Next>
Next next(const char* name) {
  return reinterpret_cast<Next>(dlsym(RTLD_NEXT, name));
}

mode_t modeOf(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

using Open = int (*)(const char*, int, ...);
using OpenAt = int (*)(int, const char*, int, ...);

int forward(const char* name, const char* path, int flags, mode_t mode) {
  if (refused(path)) {
    errno = ENOENT;
    return -1;
  }
  return next<Open>(name)(path, flags, mode);
}

int forwardAt(const char* name, int folder, const char* path, int flags, mode_t mode) {
  if (refused(path)) {
    errno = ENOENT;
    return -1;
  }
  return next<OpenAt>(name)(folder, path, flags, mode);
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = modeOf(flags, args);
  va_end(args);
  return forward("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = modeOf(flags, args);
  va_end(args);
  return forward("open64", path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = modeOf(flags, args);
  va_end(args);
  return forwardAt("openat", folder, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = modeOf(flags, args);
  va_end(args);
  return forwardAt("openat64", folder, path, flags, mode);
}

}  // extern "C"
