#pragma once
// Transient graphics: drawables shown over the drawing without being part of it. The caller keeps owning
// what it adds and must erase it before destroying it.

#include <vector>

#include "cad/entities.h"

namespace cad {

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
  int refuseCall = 0;  // the N-th addTransient call (1-based, counting from the last reset) refuses
  void reset();

 private:
  std::vector<TransientEntry> live_;
};

// The host's transient manager; nullptr while a test makes it absent.
TransientManager* acgiGetTransientManager();
void setTransientManagerAbsent(bool absent);

}  // namespace cad
