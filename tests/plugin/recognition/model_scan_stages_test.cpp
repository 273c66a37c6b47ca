// The indexed de-duplication and nesting of the model-space scan against the plain pairwise rules, on many
// random sheets that touch, repeat and hold one another.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "recognition/model_scan_stages.h"

namespace {

using Candidates = std::vector<VexBatchModelFrameCandidate>;

double w(const VexBatchPrintFrameRecord& r) { return r.maxX - r.minX; }
double h(const VexBatchPrintFrameRecord& r) { return r.maxY - r.minY; }
double cx(const VexBatchPrintFrameRecord& r) { return (r.minX + r.maxX) / 2; }
double cy(const VexBatchPrintFrameRecord& r) { return (r.minY + r.maxY) / 2; }

// The rules as plain loops over all pairs, in list order.
Candidates pairwiseDuplicates(Candidates in, std::uint64_t& duplicates) {
  Candidates unique;
  for (auto& s : in) {
    double tol = std::max(0.000001, 0.0001 * std::max(w(s.record), h(s.record)));
    auto same = std::find_if(unique.begin(), unique.end(), [&](const auto& u) {
      return std::fabs(cx(u.record) - cx(s.record)) <= tol && std::fabs(cy(u.record) - cy(s.record)) <= tol &&
             std::fabs(w(u.record) - w(s.record)) <= tol && std::fabs(h(u.record) - h(s.record)) <= tol;
    });
    if (same == unique.end()) {
      unique.push_back(s);
    } else {
      ++duplicates;
      if (same->priority < s.priority) *same = s;
    }
  }
  return unique;
}

bool inside(const VexBatchPrintFrameRecord& b, const VexBatchPrintFrameRecord& a) {
  double t = std::max(0.005 * std::min(w(b), h(b)), 1.0);
  return b.minX >= a.minX - t && b.maxX <= a.maxX + t && b.minY >= a.minY - t && b.maxY <= a.maxY + t;
}

Candidates pairwiseNesting(const Candidates& in, std::uint64_t& outer, std::uint64_t& child) {
  Candidates kept;
  for (std::size_t i = 0; i < in.size(); ++i) {
    bool dropped = false;
    double ai = w(in[i].record) * h(in[i].record);
    for (std::size_t j = 0; j < in.size() && !dropped; ++j) {
      if (j == i) continue;
      double aj = w(in[j].record) * h(in[j].record);
      if (aj * 1.02 < ai && in[i].priority < in[j].priority && inside(in[j].record, in[i].record)) {
        ++outer;
        dropped = true;
      } else if (ai * 1.02 < aj && in[i].priority <= in[j].priority && inside(in[i].record, in[j].record)) {
        ++child;
        dropped = true;
      }
    }
    if (!dropped) kept.push_back(in[i]);
  }
  return kept;
}

Candidates randomSheets(std::mt19937& random, int count) {
  std::uniform_real_distribution<double> unit(0, 1);
  const double sizes[][2] = {{420, 297}, {594, 420}, {841, 594}, {42000, 29700}, {0.5, 0.4}, {3, 0}};
  Candidates out;
  for (int k = 0; k < count; ++k) {
    VexBatchModelFrameCandidate c;
    c.priority = unit(random) < 0.4 ? 2 : 1;
    c.record.entityId.value = static_cast<std::uint64_t>(k + 1);
    double pick = unit(random);
    if (!out.empty() && pick < 0.1) {
      // A tiny frame just outside an earlier sheet's edge, within its own 1-unit tolerance.
      const VexBatchPrintFrameRecord& base = out[static_cast<std::size_t>(unit(random) * out.size())].record;
      c.record.minX = base.maxX + 0.3;
      c.record.minY = base.minY + 0.1 * h(base);
      c.record.maxX = c.record.minX + 0.5;
      c.record.maxY = c.record.minY + 0.4;
    } else if (!out.empty() && pick < 0.4) {
      // Repeat or nest an earlier sheet, exactly or slightly off.
      const VexBatchPrintFrameRecord& base = out[static_cast<std::size_t>(unit(random) * out.size())].record;
      double shrink = unit(random) < 0.5 ? 0 : unit(random) * 0.2 * std::min(w(base), h(base));
      double jitter = unit(random) < 0.5 ? 0 : (unit(random) - 0.5) * 0.00005 * w(base);
      c.record.minX = base.minX + shrink + jitter;
      c.record.minY = base.minY + shrink;
      c.record.maxX = base.maxX - shrink + jitter;
      c.record.maxY = base.maxY - shrink * 0.5;
    } else {
      const auto& size = sizes[static_cast<std::size_t>(unit(random) * std::size(sizes))];
      c.record.minX = std::floor(unit(random) * 40) * 300;
      c.record.minY = std::floor(unit(random) * 40) * 200;
      c.record.maxX = c.record.minX + size[0];
      c.record.maxY = c.record.minY + size[1];
    }
    out.push_back(c);
  }
  return out;
}

std::vector<std::uint64_t> idsOf(const Candidates& list) {
  std::vector<std::uint64_t> ids;
  for (const auto& c : list) ids.push_back(c.record.entityId.value);
  return ids;
}

TEST(ModelScanStages, IndexedStagesAgreeWithThePairwiseRules) {
  std::mt19937 random(2024);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    Candidates sheets = randomSheets(random, 5 + round * 5);
    VexBatchScanDiagnostics d;
    Candidates unique = vexBatchRemoveDuplicateModelFrames(sheets, d);
    std::uint64_t duplicates = 0, outer = 0, child = 0;
    Candidates expectedUnique = pairwiseDuplicates(sheets, duplicates);
    ASSERT_EQ(idsOf(unique), idsOf(expectedUnique));
    ASSERT_EQ(d.duplicates, duplicates);

    Candidates kept = vexBatchRemoveNestedModelFrames(unique, d);
    Candidates expectedKept = pairwiseNesting(expectedUnique, outer, child);
    ASSERT_EQ(idsOf(kept), idsOf(expectedKept));
    ASSERT_EQ(d.lowerPriorityOuterExcluded, outer);
    ASSERT_EQ(d.nestedChildExcluded, child);
    ASSERT_EQ(d.nestedExcluded, unique.size() - kept.size());
  }
}

}  // namespace
