#include "console/temporary_files.h"

#include <algorithm>

namespace sumquill {

std::array<TemporaryFiles::Slot, TemporaryFiles::kSlots> TemporaryFiles::slots_;

int TemporaryFiles::add(std::string_view name) {
  if (name.empty() || name.size() >= kMaxName) return -1;
  for (std::size_t i = 0; i < kSlots; ++i) {
    Slot& slot = slots_[i];
    if (slot.used.load()) continue;
    std::fill(std::begin(slot.name), std::end(slot.name), '\0');
    std::copy(name.begin(), name.end(), slot.name);
    slot.used.store(true);
    return static_cast<int>(i);
  }
  return -1;
}

void TemporaryFiles::remove(int slot) {
  if (slot >= 0 && static_cast<std::size_t>(slot) < kSlots) slots_[slot].used.store(false);
}

void TemporaryFiles::removeAll(void (*removeFile)(const char* name)) {
  for (Slot& slot : slots_) {
    if (slot.used.exchange(false)) removeFile(slot.name);
  }
}

}  // namespace sumquill
