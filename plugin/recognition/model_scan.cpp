#include "recognition/model_scan.h"
#include "recognition/model_scan_stages.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>

#include "cad/database.h"
#include "recognition/block_definition_cache.h"
#include "recognition/box_index.h"
#include "recognition/entity_extents.h"
#include "recognition/entity_kind.h"
#include "recognition/frame_geometry.h"
#include "recognition/paper.h"
#include "recognition/predicates.h"
#include "recognition/reading_order.h"
#include "recognition/recognition_state.h"

namespace {

struct ModelEntityEvidence {
  cad::ObjectId entityId;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// The evidence of every entity, kept in blocks of fixed size: growing never copies, and blocks small enough
// for the heap are reused from one scan to the next instead of being mapped afresh.
class EvidenceList {
 public:
  void push(const ModelEntityEvidence& item) {
    if (blocks_.empty() || blocks_.back().size() == kBlock) {
      blocks_.emplace_back();
      blocks_.back().reserve(kBlock);
    }
    blocks_.back().push_back(item);
  }
  std::size_t size() const { return blocks_.empty() ? 0 : (blocks_.size() - 1) * kBlock + blocks_.back().size(); }
  const ModelEntityEvidence& operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
  template <class Visit>
  void forEach(Visit&& visit) const {
    for (const auto& block : blocks_) {
      for (const ModelEntityEvidence& item : block) {
        if (!visit(item)) return;
      }
    }
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024 / sizeof(ModelEntityEvidence);
  std::vector<std::vector<ModelEntityEvidence>> blocks_;
};

using Candidate = VexBatchModelFrameCandidate;

// Scale factors in proportion, within the host's global point tolerance. A mirror keeps them proportional.
bool proportional(const cad::Vector3d& s) {
  constexpr double kTolerance = 1e-10;
  double x = std::fabs(s.x), y = std::fabs(s.y), z = std::fabs(s.z);
  double scale = std::max({x, y, z, 1.0});
  return std::fabs(x - y) <= kTolerance * scale && std::fabs(x - z) <= kTolerance * scale;
}

// Everything one scan reads from the drawing, with its per-definition and per-layer answers kept.
class ModelWalk {
 public:
  ModelWalk(VexBatchScanDiagnostics& diagnostics, bool pickedMode)
      : diagnostics_(diagnostics), pickedMode_(pickedMode) {}

  void visit(cad::Entity* entity) {
    cad::Extents3d extents;
    bool hasExtents = vexBatchFiniteExtents(*entity, extents);
    if (hasExtents) {
      evidence.push(
          {entity->objectId(), extents.minPoint.x, extents.minPoint.y, extents.maxPoint.x, extents.maxPoint.y});
    }
    VexBatchEntityKind kind = kinds_.of(*entity);
    if (kind == VexBatchEntityKind::BlockReference && hasExtents) {
      visitReference(static_cast<cad::BlockReference&>(*entity), extents);
    } else if (kind == VexBatchEntityKind::Polyline) {
      visitPolyline(static_cast<cad::Polyline&>(*entity));
    }
  }

  EvidenceList evidence;
  std::vector<Candidate> candidates;
  std::vector<std::size_t> evidenceNear;  // per candidate: where its entity's evidence ends in the list

 private:
  void visitPolyline(cad::Polyline& polyline) {
    Candidate c;
    bool rotated = false;
    double angle = 0;
    static const cad::Matrix3d kIdentity;
    // The polyline's own layer as the inherited one changes nothing, so none is passed.
    static const std::wstring kNoInheritedLayer;
    bool extracted =
        vexBatchExtractAxisAlignedFrame(&polyline, kIdentity, kNoInheritedLayer, true, c.record, &rotated, &angle);
    if (rotated) ++diagnostics_.rotatedCandidates;
    if (!extracted) return;
    if (pickedMode_ && !vexBatchEntityMatchesFrameRecognition(&polyline)) return;
    VexBatchPrintFrameRecord& r = c.record;
    r.entityId = polyline.objectId();
    r.rotationDegrees = angle;
    r.sourceKind = L"polyline";
    r.evidence = L"top-level-physical-rectangle";
    r.plottableLayer = layerPlottable(r.layer);
    const VexBatchBox box = vexBatchBoxOf(r);
    r.paper = vexBatchScaledIsoOrAutomaticPaper(vexBatchWidth(box), vexBatchHeight(box));
    c.priority = 1;
    candidates.push_back(std::move(c));
    evidenceNear.push_back(evidence.size());
  }

  void visitReference(cad::BlockReference& reference, const cad::Extents3d& extents) {
    Candidate c;
    VexBatchPrintFrameRecord& r = c.record;
    r.minX = extents.minPoint.x;
    r.minY = extents.minPoint.y;
    r.maxX = extents.maxPoint.x;
    r.maxY = extents.maxPoint.y;
    r.blockName = definitions_.referenceName(reference);
    r.layer = vexBatchEntityLayer(&reference);
    r.entityId = r.blockReferenceId = reference.objectId();
    r.plottableLayer = layerPlottable(r.layer);

    const VexBatchBlockDefinitionFacts& definition = definitions_.facts(reference.blockTableRecord());
    r.dynamicBlock = definitions_.isDynamic(reference);
    r.externalReference = definition.externalReference;
    if (r.dynamicBlock) ++diagnostics_.dynamicBlockReferences;
    if (r.externalReference) ++diagnostics_.externalReferenceBlocks;
    if (!proportional(reference.scaleFactors())) ++diagnostics_.nonUniformScaleReferences;

    const VexBatchBox box = vexBatchBoxOf(r);
    double w = vexBatchWidth(box), h = vexBatchHeight(box);
    double lo = vexBatchShortSide(box), hi = vexBatchLongSide(box);
    VexBatchPrintPaperSpec paper;
    bool paperRecognized = lo > 0.000001 && hi / lo <= 4.0 && vexBatchRecognizeScaledIsoModelFrame(w, h, paper);
    bool named = vexBatchFrameLayerPreferred(r.blockName);
    bool preferredLayer = vexBatchFrameLayerPreferred(r.layer);
    bool picked = pickedMode_ && vexBatchEntityMatchesFrameRecognition(&reference);
    bool signature = definition.frameSignature;
    if (!picked && !named && !(signature && (paperRecognized || preferredLayer))) return;

    r.paper = paperRecognized ? paper : vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, w, h);
    r.sourceKind = r.externalReference ? L"xref-block-reference"
                   : r.dynamicBlock    ? L"dynamic-block-reference"
                                       : L"block-reference";
    r.evidence = picked ? L"selected-block-bounds" : named ? L"named-block-bounds" : L"physical-border-block-bounds";
    c.priority = 2;
    candidates.push_back(std::move(c));
    evidenceNear.push_back(evidence.size());
  }

  bool layerPlottable(const std::wstring& layer) {
    auto found = layerPlottable_.find(layer);
    if (found != layerPlottable_.end()) return found->second;
    return layerPlottable_.emplace(layer, vexBatchLayerNameIsPlottable(layer)).first->second;
  }

  VexBatchScanDiagnostics& diagnostics_;
  bool pickedMode_;
  VexBatchEntityKinds kinds_;
  VexBatchBlockDefinitionCache definitions_;
  std::unordered_map<std::wstring, bool> layerPlottable_;
};

// Walks model space; false when the drawing, its block table or model space cannot be read.
bool walkModelSpace(ModelWalk& walk) {
  cad::Database* db = cad::acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return false;
  cad::BlockTable* table = nullptr;
  if (db->getBlockTable(table, cad::kForRead) != cad::eOk) return false;
  cad::ObjectId modelSpaceId;
  cad::ErrorStatus found = table->getAt(L"*Model_Space", modelSpaceId);
  table->close();
  if (found != cad::eOk) return false;
  cad::BlockTableRecord* modelSpace = nullptr;
  if (cad::acdbOpenObject(modelSpace, modelSpaceId, cad::kForRead) != cad::eOk) return false;
  std::unique_ptr<cad::BlockTableRecordIterator> it;
  if (modelSpace->newIterator(it) != cad::eOk || !it) {
    modelSpace->close();
    return false;
  }
  for (it->start(); !it->done(); it->step()) {
    cad::Entity* entity = nullptr;
    if (it->getEntity(entity, cad::kForRead) != cad::eOk) continue;
    walk.visit(entity);
    entity->close();
  }
  modelSpace->close();
  return true;
}

// Polyline frames with nothing drawn inside. An item is content of a frame when it is not the frame itself,
// does not cover the frame, and reaches into the frame shrunk by t.
class BlankTest {
 public:
  explicit BlankTest(const VexBatchPrintFrameRecord& frame)
      : id_(frame.entityId), box_(vexBatchBoxOf(frame)), t_(vexBatchEdgeTolerance(box_)) {}
  bool isContent(const ModelEntityEvidence& e) const {
    return e.entityId != id_ && vexBatchIsContentOf(vexBatchBoxOf(e), box_, t_);
  }
  // Everything that can be content lies in this box.
  VexBatchBox inner() const {
    const VexBatchBox s = vexBatchShrunk(box_, t_);
    return {std::min(s.minX, s.maxX), std::min(s.minY, s.maxY), std::max(s.minX, s.maxX), std::max(s.minY, s.maxY)};
  }

 private:
  cad::ObjectId id_;
  VexBatchBox box_;
  double t_;
};

std::vector<bool> blankFrames(const std::vector<Candidate>& candidates, const std::vector<bool>& tested,
                              const EvidenceList& evidence, const std::vector<std::size_t>& evidenceNear) {
  // A sheet's drawing usually lies next to its border in the drawing's order, so the items near the
  // frame's own settle most frames; only the rest need a pass over all evidence.
  constexpr std::size_t kNear = 512;
  std::vector<BlankTest> tests;
  tests.reserve(candidates.size());
  std::vector<bool> content(candidates.size(), true);
  std::vector<VexBatchBox> unsettled(candidates.size(), VexBatchBox{1, 1, 0, 0});  // invalid: never reported
  std::size_t open = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    tests.emplace_back(candidates[i].record);
    if (!tested[i]) continue;
    std::size_t from = evidenceNear[i] > kNear ? evidenceNear[i] - kNear : 0;
    std::size_t to = std::min(evidence.size(), evidenceNear[i] + kNear);
    bool found = false;
    for (std::size_t k = from; k < to && !found; ++k) found = tests[i].isContent(evidence[k]);
    if (found) continue;
    content[i] = false;
    unsettled[i] = tests[i].inner();
    ++open;
  }

  if (open > 0) {
    VexBatchBoxIndex index(std::move(unsettled));
    evidence.forEach([&](const ModelEntityEvidence& e) {
      index.forEachTouching({e.minX, e.minY, e.maxX, e.maxY}, [&](std::size_t i) {
        if (!content[i] && tests[i].isContent(e)) {
          content[i] = true;
          --open;
        }
        return true;
      });
      return open > 0;
    });
  }
  std::vector<bool> blank(candidates.size(), false);
  for (std::size_t i = 0; i < candidates.size(); ++i) blank[i] = tested[i] && !content[i];
  return blank;
}

std::vector<Candidate> filterCandidates(std::vector<Candidate> candidates, const EvidenceList& evidence,
                                        const std::vector<std::size_t>& evidenceNear, bool pickedMode,
                                        VexBatchScanDiagnostics& diagnostics) {
  std::vector<bool> keep(candidates.size(), true);
  std::vector<bool> blankTest(candidates.size(), false);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const VexBatchPrintFrameRecord& r = candidates[i].record;
    bool modeMatch = true;
    switch (gBatchFrameRecognitionMode) {
      case VexBatchFrameRecognitionDesignatedLayer:
        modeMatch = vexBatchFrameMatchesDesignatedLayer(r.layer);
        break;
      case VexBatchFrameRecognitionPickedEntities:
        modeMatch = vexBatchSelectedFrameContains(r.entityId);
        break;
      case VexBatchFrameRecognitionDesignatedBlock:
        modeMatch =
            !gBatchDesignatedFrameBlock.empty() && vexBatchLayerNamesEqual(r.blockName, gBatchDesignatedFrameBlock);
        break;
      default:
        break;
    }
    if (!modeMatch || (!gBatchIncludeNonPlottableLayers && !r.plottableLayer)) keep[i] = false;
    blankTest[i] = keep[i] && gBatchExcludeBlankRectangles && candidates[i].priority == 1;
  }

  std::vector<bool> blank = blankFrames(candidates, blankTest, evidence, evidenceNear);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!blank[i]) continue;
    keep[i] = false;
    const VexBatchPrintFrameRecord& r = candidates[i].record;
    diagnostics.excludedBlankFrames.emplace_back(std::wstring(), r.minX, r.minY, r.maxX, r.maxY);
  }

  // The size bar comes from frames that survived the other filters: a big blank or excluded rectangle
  // must not make every real sheet "too small".
  double largestPolylineArea = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (keep[i] && candidates[i].priority == 1)
      largestPolylineArea = std::max(largestPolylineArea, vexBatchArea(vexBatchBoxOf(candidates[i].record)));
  }
  std::vector<Candidate> survivors;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!keep[i]) continue;
    bool tooSmall = !pickedMode && candidates[i].priority == 1 && largestPolylineArea > 0 &&
                    vexBatchArea(vexBatchBoxOf(candidates[i].record)) + 0.000000001 < 0.05 * largestPolylineArea;
    if (!tooSmall) survivors.push_back(std::move(candidates[i]));
  }
  diagnostics.filteredOut = candidates.size() - survivors.size();
  return survivors;
}

}  // namespace

// Candidates are compared with their neighbours only, found through a box index, so that a drawing with
// thousands of sheets costs no quadratic pass; the outcome is that of comparing each with all in list order.

// A survivor is a duplicate of the first record of the unique list with the same centre and size within
// tol; a block reference then takes a polyline's place, otherwise the first stays.
std::vector<Candidate> vexBatchRemoveDuplicateModelFrames(std::vector<Candidate> survivors,
                                                          VexBatchScanDiagnostics& diagnostics) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<VexBatchBox> boxes;
  boxes.reserve(survivors.size());
  for (const Candidate& c : survivors) boxes.push_back(vexBatchBoxOf(c.record));
  VexBatchBoxIndex index(std::move(boxes));
  std::vector<std::size_t> slotOf(survivors.size(), kNone);  // the unique-list slot a survivor fills
  std::vector<std::size_t> occupant;                         // the survivor in each slot
  for (std::size_t s = 0; s < survivors.size(); ++s) {
    const VexBatchBox r = index.box(s);
    double tol = std::max(0.000001, 0.0001 * vexBatchLongSide(r));
    std::size_t first = kNone;
    // A match's box lies within r's box grown by 1.5 tol.
    index.forEachTouching(vexBatchGrown(r, 2 * tol), [&](std::size_t k) {
      if (slotOf[k] == kNone || slotOf[k] >= first) return true;
      const VexBatchBox u = index.box(k);
      if (std::fabs(vexBatchCenterX(u) - vexBatchCenterX(r)) <= tol &&
          std::fabs(vexBatchCenterY(u) - vexBatchCenterY(r)) <= tol &&
          std::fabs(vexBatchWidth(u) - vexBatchWidth(r)) <= tol &&
          std::fabs(vexBatchHeight(u) - vexBatchHeight(r)) <= tol) {
        first = slotOf[k];
      }
      return true;
    });
    if (first == kNone) {
      slotOf[s] = occupant.size();
      occupant.push_back(s);
      continue;
    }
    ++diagnostics.duplicates;
    std::size_t current = occupant[first];
    if (survivors[current].priority < survivors[s].priority) {
      slotOf[current] = kNone;
      slotOf[s] = first;
      occupant[first] = s;
    }
  }
  std::vector<Candidate> unique;
  unique.reserve(occupant.size());
  for (std::size_t s : occupant) unique.push_back(std::move(survivors[s]));
  return unique;
}

// A frame goes at the first other frame (in list order, dropped ones included) that either lies in it, is
// smaller by more than 2 % and has a higher priority (an outer polyline around a title block), or holds
// it, is larger by more than 2 % and has no lower priority (a child frame).
std::vector<Candidate> vexBatchRemoveNestedModelFrames(std::vector<Candidate> unique,
                                                       VexBatchScanDiagnostics& diagnostics) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<VexBatchBox> boxes;
  // How far each frame may stick out of the one that holds it.
  std::vector<double> tolerance;
  double largestTolerance = 0;
  for (const Candidate& c : unique) {
    boxes.push_back(vexBatchBoxOf(c.record));
    tolerance.push_back(vexBatchEdgeTolerance(boxes.back()));
    largestTolerance = std::max(largestTolerance, tolerance.back());
  }
  VexBatchBoxIndex index(std::move(boxes));
  std::vector<bool> dropped(unique.size(), false);
  for (std::size_t i = 0; i < unique.size(); ++i) {
    const Candidate& inner = unique[i];
    const VexBatchBox innerBox = index.box(i);
    double innerArea = vexBatchArea(innerBox);
    double grow = tolerance[i] + largestTolerance;
    std::size_t first = kNone;
    bool outerRule = false;
    index.forEachTouching(vexBatchGrown(innerBox, grow), [&](std::size_t j) {
      if (j == i || j >= first) return true;
      const Candidate& other = unique[j];
      const VexBatchBox otherBox = index.box(j);
      double otherArea = vexBatchArea(otherBox);
      if (otherArea * 1.02 < innerArea && inner.priority < other.priority &&
          vexBatchInsideGrown(otherBox, innerBox, tolerance[j])) {
        first = j;
        outerRule = true;
      } else if (innerArea * 1.02 < otherArea && inner.priority <= other.priority &&
                 vexBatchInsideGrown(innerBox, otherBox, tolerance[i])) {
        first = j;
        outerRule = false;
      }
      return true;
    });
    if (first == kNone) continue;
    dropped[i] = true;
    ++(outerRule ? diagnostics.lowerPriorityOuterExcluded : diagnostics.nestedChildExcluded);
  }
  std::vector<Candidate> kept;
  for (std::size_t i = 0; i < unique.size(); ++i) {
    if (!dropped[i]) kept.push_back(std::move(unique[i]));
  }
  diagnostics.nestedExcluded = unique.size() - kept.size();
  return kept;
}

namespace {

std::vector<VexBatchPrintFrameRecord> inReadingOrder(std::vector<Candidate> kept) {
  std::vector<VexBatchReadingOrderKey> keys;
  keys.reserve(kept.size());
  for (const Candidate& c : kept) keys.push_back({vexBatchCenterY(vexBatchBoxOf(c.record)), c.record.minX});
  std::vector<std::size_t> order = vexBatchReadingOrder(keys, [&](std::size_t rowStart, std::size_t candidate) {
    return std::fabs(keys[candidate].centerY - keys[rowStart].centerY) <=
           0.4 * vexBatchHeight(vexBatchBoxOf(kept[rowStart].record));
  });
  std::vector<VexBatchPrintFrameRecord> result;
  result.reserve(order.size());
  for (std::size_t index : order) result.push_back(std::move(kept[index].record));
  for (std::size_t k = 0; k < result.size(); ++k) {
    std::size_t number = k + 1;
    result[k].name = L"模型图框 " + std::wstring(number < 10 ? L"0" : L"") + std::to_wstring(number);
  }
  return result;
}

}  // namespace

std::vector<VexBatchPrintFrameRecord> vexCollectModelFrames() {
  gBatchModelDiagnostics = VexBatchScanDiagnostics();
  VexBatchScanDiagnostics& diagnostics = gBatchModelDiagnostics;
  bool pickedMode = vexBatchExplicitFrameMode();

  ModelWalk walk(diagnostics, pickedMode);
  if (!walkModelSpace(walk)) return {};
  diagnostics.rawCandidates = walk.candidates.size();
  if (walk.candidates.empty()) return {};

  std::vector<Candidate> survivors =
      filterCandidates(std::move(walk.candidates), walk.evidence, walk.evidenceNear, pickedMode, diagnostics);
  std::vector<Candidate> unique = vexBatchRemoveDuplicateModelFrames(std::move(survivors), diagnostics);
  std::vector<Candidate> kept = vexBatchRemoveNestedModelFrames(std::move(unique), diagnostics);
  std::vector<VexBatchPrintFrameRecord> result = inReadingOrder(std::move(kept));
  diagnostics.finalCount = result.size();
  return result;
}
