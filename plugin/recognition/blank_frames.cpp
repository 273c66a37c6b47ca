#include "recognition/blank_frames.h"

#include <algorithm>
#include <cmath>

#include "recognition/box.h"

namespace {

bool sameFrame(const QDLExcludedBlankFrame& a, const QDLExcludedBlankFrame& b) {
  return a.layoutName == b.layoutName && std::fabs(a.minX - b.minX) < 0.01 && std::fabs(a.minY - b.minY) < 0.01 &&
         std::fabs(a.maxX - b.maxX) < 0.01 && std::fabs(a.maxY - b.maxY) < 0.01;
}

bool insideWindow(const QDLExcludedBlankFrame& f, const QDLExcludedBlankFrame& w) {
  return f.layoutName == w.layoutName && vexBatchInsideGrown(vexBatchBoxOf(f), vexBatchBoxOf(w), 0.5);
}

}  // namespace

std::uint64_t QDLCountExcludedBlankFrames(const std::vector<QDLExcludedBlankFrame>& frames,
                                          const std::wstring& layoutName, const QDLExcludedBlankFrame* window) {
  std::vector<const QDLExcludedBlankFrame*> distinct;
  for (const QDLExcludedBlankFrame& f : frames) {
    if (!layoutName.empty() && f.layoutName != layoutName) continue;
    if (window != nullptr && !insideWindow(f, *window)) continue;
    bool seen =
        std::any_of(distinct.begin(), distinct.end(), [&](const QDLExcludedBlankFrame* d) { return sameFrame(*d, f); });
    if (!seen) distinct.push_back(&f);
  }
  return distinct.size();
}
