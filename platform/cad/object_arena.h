#pragma once
// Memory for one drawing's objects, taken from the heap in large blocks and given back in one step when the
// drawing is dropped. While a Scope is open on a thread, objects made there with new are placed in its arena
// (Object's operator new): the DXF reader opens one for the drawing it fills, so every object it makes,
// however it makes it, lives in the drawing's arena. The store that owns the arena destroys such objects
// without freeing them one by one.

#include <cstddef>
#include <vector>

namespace cad {

class ObjectArena {
 public:
  ObjectArena() = default;
  ~ObjectArena();
  ObjectArena(const ObjectArena&) = delete;
  ObjectArena& operator=(const ObjectArena&) = delete;

  // Aligned for any object; never null (throws std::bad_alloc as new does).
  void* allocate(std::size_t size);
  bool owns(const void* p) const;
  std::size_t bytesReserved() const { return reserved_; }

  class Scope {
   public:
    explicit Scope(ObjectArena& arena);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    ObjectArena* previous_;
  };
  // The arena of the innermost open scope on this thread, or null.
  static ObjectArena* current();
  // Whether any live arena holds `p`: memory that is given back with its arena, never on its own.
  static bool anyOwns(const void* p);

 private:
  struct Block {
    char* start;
    std::size_t size;
  };
  void addBlock(std::size_t atLeast);
  std::vector<Block> blocks_;  // by start address
  char* next_ = nullptr;
  char* end_ = nullptr;
  std::size_t nextBlockSize_ = 64 * 1024;
  std::size_t reserved_ = 0;
};

}  // namespace cad
