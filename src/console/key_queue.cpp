#include "console/key_queue.h"

#include <utility>

namespace sumquill {

void KeyQueue::push(std::string key) {
  slots_[tail_] = std::move(key);
  tail_ = (tail_ + 1) % kSlots;
  if (tail_ == head_) head_ = (head_ + 1) % kSlots;
}

std::string KeyQueue::pop() {
  if (empty()) return {};
  std::string key = std::move(slots_[head_]);
  head_ = (head_ + 1) % kSlots;
  return key;
}

}  // namespace sumquill
