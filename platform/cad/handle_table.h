#pragma once
// A store's handles: handle number → the object's place in the store, by open addressing in one array that
// is sized up front for a drawing of known size. Each slot keeps the place and the low half of the handle, so
// that a probe reads the object (to compare the whole handle) only when the halves match.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/large_memory.h"

namespace cad {

class HandleTable {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // Room for `count` handles without growing.
  template <class HandleAt>
  void reserve(std::size_t count, const HandleAt& handleAt) {
    std::size_t slots = 64;
    while (slots * 7 < count * 10) slots *= 2;
    if (slots > slots_.size()) rehash(slots, handleAt);
  }
  std::size_t size() const { return size_; }

  // The place recorded for `handle`, or kNone. `handleAt(place)` gives the full handle of a place.
  template <class HandleAt>
  std::uint32_t find(std::uint64_t handle, const HandleAt& handleAt) const {
    if (slots_.empty()) return kNone;
    for (std::size_t i = home(handle);; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.place == kNone) return kNone;
      if (slot.low == static_cast<std::uint32_t>(handle) && handleAt(slot.place) == handle) return slot.place;
    }
  }
  // Records a handle that is not in the table.
  template <class HandleAt>
  void insert(std::uint64_t handle, std::uint32_t place, const HandleAt& handleAt) {
    if ((size_ + 1) * 10 > slots_.size() * 7) rehash(slots_.empty() ? 64 : slots_.size() * 2, handleAt);
    put(handle, place);
    ++size_;
  }
  // Points a recorded handle at another place.
  template <class HandleAt>
  void replace(std::uint64_t handle, std::uint32_t place, const HandleAt& handleAt) {
    for (std::size_t i = home(handle);; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.low == static_cast<std::uint32_t>(handle) && handleAt(slot.place) == handle) {
        slot.place = place;
        return;
      }
    }
  }

 private:
  struct Slot {
    std::uint32_t place = kNone;
    std::uint32_t low = 0;
  };
  std::size_t home(std::uint64_t handle) const {
    // Files number their objects consecutively: runs of 4096 handles keep their order in neighbouring slots,
    // which a load fills one after the other, and the runs are spread by Fibonacci hashing.
    const std::uint64_t run = ((handle >> 12) * 0x9E3779B97F4A7C15ull) >> shift_;
    return static_cast<std::size_t>((run + (handle & 0xFFF)) & mask_);
  }
  void put(std::uint64_t handle, std::uint32_t place) {
    std::size_t i = home(handle);
    while (slots_[i].place != kNone) i = (i + 1) & mask_;
    slots_[i] = {place, static_cast<std::uint32_t>(handle)};
  }
  template <class HandleAt>
  void rehash(std::size_t slots, const HandleAt& handleAt) {
    std::vector<Slot, foundation::LargeAllocator<Slot>> old(slots);
    old.swap(slots_);
    mask_ = slots - 1;
    shift_ = 64 - std::countr_zero(slots);
    for (const Slot& slot : old) {
      if (slot.place != kNone) put(handleAt(slot.place), slot.place);
    }
  }

  std::vector<Slot, foundation::LargeAllocator<Slot>> slots_;
  std::size_t mask_ = 0;
  int shift_ = 64;
  std::size_t size_ = 0;
};

}  // namespace cad
