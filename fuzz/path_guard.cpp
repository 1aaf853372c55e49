#include "path_guard.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <utime.h>

#include <string>

namespace {

std::string g_root;
bool g_armed = false;

[[noreturn]] void refuse(const char* call, const std::string& what, const char* why) {
  g_armed = false;
  fprintf(stderr, "path guard: %s(\"%s\") %s %s\n", call, what.c_str(), why, g_root.c_str());
  abort();
}

std::string folderOf(int dirfd) {
  if (dirfd == AT_FDCWD) {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
  }
  char buffer[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(dirfd);
  const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

/// The absolute path with symbolic links of its existing part resolved; the part that does not
/// exist yet is appended as written, with "." and ".." applied.
std::string resolve(int dirfd, const char* path) {
  std::string whole = path[0] == '/' ? std::string(path) : folderOf(dirfd) + "/" + path;
  std::string existing = whole;
  std::string rest;
  for (;;) {
    char buffer[PATH_MAX];
    if (!existing.empty() && realpath(existing.c_str(), buffer)) {
      existing = buffer;
      break;
    }
    const auto slash = existing.find_last_of('/');
    if (slash == std::string::npos || existing.empty()) return whole;
    rest = existing.substr(slash) + rest;
    existing.erase(slash);
    if (existing.empty()) {
      existing = "/";
      break;
    }
  }
  std::string result = existing == "/" ? "" : existing;
  std::size_t at = 0;
  while (at < rest.size()) {
    const std::size_t next = rest.find('/', at + 1);
    const std::string part =
        rest.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    at = next == std::string::npos ? rest.size() : next;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      result.erase(result.empty() ? 0 : result.find_last_of('/'));
      continue;
    }
    result += "/" + part;
  }
  return result.empty() ? "/" : result;
}

void guard(const char* call, int dirfd, const char* path) {
  if (!g_armed || path == nullptr) return;
  const std::string where = resolve(dirfd, path);
  if (where.size() <= g_root.size() + 1 || where.compare(0, g_root.size(), g_root) != 0 ||
      where[g_root.size()] != '/') {
    refuse(call, where, "outside");
  }
}

void guardStart(const char* call, const char* path) {
  if (g_armed) refuse(call, path ? path : "", "starts a program or link, in");
}

bool writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0; }
bool writes(const char* mode) { return mode && strpbrk(mode, "wa+") != nullptr; }

/// The libc function that a stand-in replaces, looked up once at each place of use.
#define SUMQUILL_REAL(type, name)                                                \
  ([] {                                                                          \
    static const auto function = reinterpret_cast<type>(dlsym(RTLD_NEXT, name)); \
    return function;                                                             \
  }())

}  // namespace

namespace sumquill::fuzzing {

void armPathGuard(const std::string& root) {
  g_root = root;
  g_armed = true;
}

void disarmPathGuard() { g_armed = false; }

}  // namespace sumquill::fuzzing

// The stand-ins. Each checks its path, then calls the libc function it replaces.
extern "C" {

#define SUMQUILL_OPEN_LIKE(name, dirfdExpr, ...)                 \
  int name(__VA_ARGS__, int flags, ...) {                        \
    mode_t mode = 0;                                             \
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) { \
      va_list args;                                              \
      va_start(args, flags);                                     \
      mode = va_arg(args, mode_t);                               \
      va_end(args);                                              \
    }                                                            \
    if (writes(flags)) guard(#name, dirfdExpr, path);            \
    return SUMQUILL_OPEN_CALL_##name;                            \
  }

#define SUMQUILL_OPEN_CALL_open \
  SUMQUILL_REAL(int (*)(const char*, int, ...), "open")(path, flags, mode)
#define SUMQUILL_OPEN_CALL_open64 \
  SUMQUILL_REAL(int (*)(const char*, int, ...), "open64")(path, flags, mode)
#define SUMQUILL_OPEN_CALL_openat \
  SUMQUILL_REAL(int (*)(int, const char*, int, ...), "openat")(dirfd, path, flags, mode)
#define SUMQUILL_OPEN_CALL_openat64 \
  SUMQUILL_REAL(int (*)(int, const char*, int, ...), "openat64")(dirfd, path, flags, mode)

SUMQUILL_OPEN_LIKE(open, AT_FDCWD, const char* path)
SUMQUILL_OPEN_LIKE(open64, AT_FDCWD, const char* path)
SUMQUILL_OPEN_LIKE(openat, dirfd, int dirfd, const char* path)
SUMQUILL_OPEN_LIKE(openat64, dirfd, int dirfd, const char* path)

int creat(const char* path, mode_t mode) {
  guard("creat", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, mode_t), "creat")(path, mode);
}
int creat64(const char* path, mode_t mode) {
  guard("creat64", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, mode_t), "creat64")(path, mode);
}
FILE* fopen(const char* path, const char* mode) {
  if (writes(mode)) guard("fopen", AT_FDCWD, path);
  return SUMQUILL_REAL(FILE * (*)(const char*, const char*), "fopen")(path, mode);
}
FILE* fopen64(const char* path, const char* mode) {
  if (writes(mode)) guard("fopen64", AT_FDCWD, path);
  return SUMQUILL_REAL(FILE * (*)(const char*, const char*), "fopen64")(path, mode);
}
FILE* freopen(const char* path, const char* mode, FILE* stream) {
  if (writes(mode)) guard("freopen", AT_FDCWD, path);
  return SUMQUILL_REAL(FILE * (*)(const char*, const char*, FILE*), "freopen")(path, mode, stream);
}
int unlink(const char* path) {
  guard("unlink", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*), "unlink")(path);
}
int unlinkat(int dirfd, const char* path, int flags) {
  guard("unlinkat", dirfd, path);
  return SUMQUILL_REAL(int (*)(int, const char*, int), "unlinkat")(dirfd, path, flags);
}
int remove(const char* path) {
  guard("remove", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*), "remove")(path);
}
int rmdir(const char* path) {
  guard("rmdir", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*), "rmdir")(path);
}
int mkdir(const char* path, mode_t mode) {
  guard("mkdir", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, mode_t), "mkdir")(path, mode);
}
int mkdirat(int dirfd, const char* path, mode_t mode) {
  guard("mkdirat", dirfd, path);
  return SUMQUILL_REAL(int (*)(int, const char*, mode_t), "mkdirat")(dirfd, path, mode);
}
int rename(const char* from, const char* to) {
  guard("rename", AT_FDCWD, from);
  guard("rename", AT_FDCWD, to);
  return SUMQUILL_REAL(int (*)(const char*, const char*), "rename")(from, to);
}
int renameat(int fromfd, const char* from, int tofd, const char* to) {
  guard("renameat", fromfd, from);
  guard("renameat", tofd, to);
  return SUMQUILL_REAL(int (*)(int, const char*, int, const char*), "renameat")(fromfd, from, tofd,
                                                                                to);
}
int renameat2(int fromfd, const char* from, int tofd, const char* to, unsigned flags) {
  guard("renameat2", fromfd, from);
  guard("renameat2", tofd, to);
  return SUMQUILL_REAL(int (*)(int, const char*, int, const char*, unsigned), "renameat2")(
      fromfd, from, tofd, to, flags);
}
int truncate(const char* path, off_t length) {
  guard("truncate", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, off_t), "truncate")(path, length);
}
int link(const char* from, const char* to) {
  guard("link", AT_FDCWD, to);
  return SUMQUILL_REAL(int (*)(const char*, const char*), "link")(from, to);
}
int linkat(int fromfd, const char* from, int tofd, const char* to, int flags) {
  guard("linkat", tofd, to);
  return SUMQUILL_REAL(int (*)(int, const char*, int, const char*, int), "linkat")(fromfd, from,
                                                                                   tofd, to, flags);
}
// A link inside the folder could point anywhere; none is expected at all.
int symlink(const char* from, const char* to) {
  guardStart("symlink", to);
  return SUMQUILL_REAL(int (*)(const char*, const char*), "symlink")(from, to);
}
int symlinkat(const char* from, int tofd, const char* to) {
  guardStart("symlinkat", to);
  return SUMQUILL_REAL(int (*)(const char*, int, const char*), "symlinkat")(from, tofd, to);
}
int chmod(const char* path, mode_t mode) {
  guard("chmod", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, mode_t), "chmod")(path, mode);
}
int fchmodat(int dirfd, const char* path, mode_t mode, int flags) {
  guard("fchmodat", dirfd, path);
  return SUMQUILL_REAL(int (*)(int, const char*, mode_t, int), "fchmodat")(dirfd, path, mode,
                                                                           flags);
}
int chown(const char* path, uid_t owner, gid_t group) {
  guard("chown", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, uid_t, gid_t), "chown")(path, owner, group);
}
int utimensat(int dirfd, const char* path, const struct timespec times[2], int flags) {
  guard("utimensat", dirfd, path);
  return SUMQUILL_REAL(int (*)(int, const char*, const struct timespec*, int), "utimensat")(
      dirfd, path, times, flags);
}
int utimes(const char* path, const struct timeval times[2]) {
  guard("utimes", AT_FDCWD, path);
  return SUMQUILL_REAL(int (*)(const char*, const struct timeval*), "utimes")(path, times);
}
// No command may start another program, least of all a shell.
int system(const char* command) {
  guardStart("system", command);
  return SUMQUILL_REAL(int (*)(const char*), "system")(command);
}
FILE* popen(const char* command, const char* mode) {
  guardStart("popen", command);
  return SUMQUILL_REAL(FILE * (*)(const char*, const char*), "popen")(command, mode);
}
int execve(const char* path, char* const argv[], char* const envp[]) {
  guardStart("execve", path);
  return SUMQUILL_REAL(int (*)(const char*, char* const*, char* const*), "execve")(path, argv,
                                                                                   envp);
}
int execvp(const char* file, char* const argv[]) {
  guardStart("execvp", file);
  return SUMQUILL_REAL(int (*)(const char*, char* const*), "execvp")(file, argv);
}
int execv(const char* path, char* const argv[]) {
  guardStart("execv", path);
  return SUMQUILL_REAL(int (*)(const char*, char* const*), "execv")(path, argv);
}
int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  guardStart("posix_spawn", path);
  return SUMQUILL_REAL(int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*,
                               const posix_spawnattr_t*, char* const*, char* const*),
                       "posix_spawn")(pid, path, actions, attributes, argv, envp);
}
int posix_spawnp(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  guardStart("posix_spawnp", file);
  return SUMQUILL_REAL(int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*,
                               const posix_spawnattr_t*, char* const*, char* const*),
                       "posix_spawnp")(pid, file, actions, attributes, argv, envp);
}

}  // extern "C"
