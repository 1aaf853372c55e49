// Files that must not outlive the process, whichever way it ends: the reports while they are
// written under a temporary name. Whoever creates one lists it here; the way out that runs no
// destructor (a fatal signal, a closed console window) removes what is listed, each backend with
// its own call. Everything here is safe in a signal handler and from the console's control
// thread: fixed slots, no allocation, no lock.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string_view>

namespace sumquill {

class TemporaryFiles {
 public:
  static constexpr std::size_t kSlots = 8;
  static constexpr std::size_t kMaxName = 256;

  /// Lists a name (relative to the working directory, which the program never changes). Returns
  /// its slot, or -1 when the name is too long or every slot is taken; such a file is simply not
  /// removed on an emergency.
  static int add(std::string_view name);
  /// Takes a name off the list: it was renamed into place or removed the usual way.
  static void remove(int slot);
  /// Calls `removeFile` with every listed name and takes it off the list.
  static void removeAll(void (*removeFile)(const char* name));

 private:
  struct Slot {
    std::atomic<bool> used{false};
    char name[kMaxName] = {};
  };
  static std::array<Slot, kSlots> slots_;
};

}  // namespace sumquill
