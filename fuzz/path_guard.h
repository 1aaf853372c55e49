// While armed, every libc call of this process that changes the file system (open for writing,
// create, remove, rename, make or remove a folder, links, modes, times) must name a path strictly
// inside the given folder, and no other program may be started; anything else aborts at once,
// with the call and the path. It works by standing in for those libc functions in the
// executable, so that calls from libstdc++ (std::filesystem, streams) pass through it too.
#pragma once

#include <string>

namespace sumquill::fuzzing {

/// `root` must be an absolute path without symbolic links (as realpath gives it).
void armPathGuard(const std::string& root);
void disarmPathGuard();

}  // namespace sumquill::fuzzing
