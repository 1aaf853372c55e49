// Key presses typed ahead of the menu or prompt that will read them.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace sumquill {

/// Ring of 512 slots holding at most 511 keys; a key arriving when it is full pushes out the
/// oldest waiting one, so the newest typing always wins.
class KeyQueue {
 public:
  static constexpr std::size_t kSlots = 512;

  void push(std::string key);
  /// The oldest key, or the empty text when none waits.
  std::string pop();
  bool empty() const { return head_ == tail_; }
  std::size_t size() const { return (tail_ + kSlots - head_) % kSlots; }

 private:
  std::array<std::string, kSlots> slots_;
  std::size_t head_ = 0;
  std::size_t tail_ = 0;
};

}  // namespace sumquill
