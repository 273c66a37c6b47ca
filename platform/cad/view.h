#pragma once
// What a document shows: the window each zoom made current and the plan view's target and twist that
// display coordinates are measured from.

#include <string>
#include <vector>

#include "cad/geometry.h"

namespace cad {

struct ViewWindow {
  std::wstring layout;  // CTAB when the view was set
  int viewport = 0;     // CVPORT when the view was set
  Point3d min, max;     // world coordinates of the window's corners
};

class DocumentView {
 public:
  void recordZoom(const ViewWindow& window) { zooms_.push_back(window); }
  const std::vector<ViewWindow>& zooms() const { return zooms_; }

  // Plan view of the Model tab: display coordinates are world coordinates relative to the target, turned by
  // minus the twist.
  Point3d target;
  double twist = 0;

 private:
  std::vector<ViewWindow> zooms_;
};

}  // namespace cad
