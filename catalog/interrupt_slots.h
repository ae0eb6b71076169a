// The paths of the files to delete when the program is interrupted, read by a
// handler that may run at any moment: a signal handler, or the console's
// handler thread on Windows. It takes no lock and allocates nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>

namespace orbivane {

template <class Char, std::size_t kLength>
class InterruptSlots {
 public:
  static_assert(std::atomic<int>::is_always_lock_free, "a handler reads the slots");

  // Returns the slot that holds `path`, or -1 when it is too long or every slot is taken.
  int Arm(std::basic_string_view<Char> path) {
    if (path.size() >= kLength) return -1;
    for (int i = 0; i < kSlots; ++i) {
      Slot& slot = slots_[i];
      int expected = kFree;
      if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
      path.copy(slot.path, path.size());
      slot.path[path.size()] = Char{};
      slot.state.store(kArmed);
      return i;
    }
    return -1;
  }

  void Disarm(int slot) {
    if (slot >= 0 && slot < kSlots) slots_[slot].state.store(kFree);
  }

  // Calls `remove` with each armed path, whose text is complete.
  template <class Remove>
  void ForEachArmed(Remove remove) {
    for (Slot& slot : slots_) {
      if (slot.state.load() == kArmed) remove(slot.path);
    }
  }

 private:
  static constexpr int kSlots = 4;
  enum : int { kFree, kFilling, kArmed };
  struct Slot {
    std::atomic<int> state{kFree};
    Char path[kLength];
  };
  Slot slots_[kSlots];
};

}  // namespace orbivane
