#pragma once
// Transient graphics: drawables shown over the drawing without being part of it, each in the viewports it was
// added for. The caller keeps owning what it adds and must erase it before destroying it; a drawable destroyed
// while shown would have the host draw freed memory, so the stand-in drops it, says so and counts it.

#include <cstddef>
#include <functional>
#include <vector>

namespace cad {

class Entity;

enum TransientDrawingMode : int {
  kAcGiMain = 0,
  kAcGiSprite = 1,
  kAcGiDirectShortTerm = 2,
  kAcGiHighlight = 3,
  kAcGiDirectTopmost = 4,
  kAcGiContrast = 5,
};

struct TransientEntry {
  Entity* drawable = nullptr;
  int mode = 0;
  int subMode = 0;
  std::vector<int> viewports;
  const void* caller = nullptr;  // the code that added it, so a module that goes can be held to its leftovers
};

class TransientManager {
 public:
  // False when the drawable is null or already shown, or when a test makes this call refuse.
  bool addTransient(Entity* drawable, TransientDrawingMode mode, int subDrawingMode,
                    const std::vector<int>& viewportNumbers);
  // False when the drawable is not shown.
  bool eraseTransient(Entity* drawable, const std::vector<int>& viewportNumbers);

  // Test side
  const std::vector<TransientEntry>& live() const { return live_; }
  bool isShown(const Entity* drawable) const;
  int addCalls = 0;
  int refuseCall = 0;           // the N-th addTransient call (1-based, counting from the last reset) refuses
  int destroyedWhileShown = 0;  // drawables destroyed before they were erased
  void reset();

  // Host side
  // Erases the entries the predicate picks; how many there were.
  std::size_t eraseIf(const std::function<bool(const TransientEntry&)>& pick);
  // Every entity's destructor reports here.
  void drawableDestroyed(const Entity* drawable);

 private:
  std::vector<TransientEntry> live_;
};

// The host's transient manager; nullptr while a test makes it absent.
TransientManager* acgiGetTransientManager();
void setTransientManagerAbsent(bool absent);
// The one manager, absent or not: entities report their end to it.
TransientManager& transientManager();

}  // namespace cad
