#pragma once
// Large blocks of memory asked of the system in huge pages where it gives them. Touching fresh memory costs a
// page fault for every 4 KiB page; a drawing of 50 MB fills some 150 MB, and on a virtual machine those faults
// can cost more than reading the drawing. In 2 MiB pages the same memory takes a few dozen.

#include <cstddef>
#include <new>

namespace foundation {

// Sizes from this on are worth huge pages; below it, the heap's own memory serves better.
inline constexpr std::size_t kLargeBlock = std::size_t{1} << 20;

// Never null: throws std::bad_alloc as new does. Freed with freeLarge, with the size it was asked for; freed
// blocks are kept for later requests, up to a limit, unless `keep` is false.
void* allocateLarge(std::size_t size);
void freeLarge(void* block, std::size_t size, bool keep = true) noexcept;

// For containers that grow large: what reaches kLargeBlock is taken through allocateLarge.
template <class T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <class U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}  // NOLINT: rebinding
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    return static_cast<T*>(bytes >= kLargeBlock ? allocateLarge(bytes) : ::operator new(bytes));
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n * sizeof(T) >= kLargeBlock) {
      freeLarge(p, n * sizeof(T));
    } else {
      ::operator delete(p);
    }
  }
  template <class U>
  friend bool operator==(const LargeAllocator&, const LargeAllocator<U>&) noexcept {
    return true;
  }
};

}  // namespace foundation
