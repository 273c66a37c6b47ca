// What the drawing's block references expand to when drawn: a small file can name a block that holds a block
// that holds a block…, each many times, or repeat a long text or polyline in a large array, and drawing that
// would run away. The work (characters, vertices, samples, dashes) is counted once, over the definitions,
// before the drawing opens.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cad/annotation_entities.h"
#include "cad/block_extents.h"
#include "cad/drawn_work.h"
#include "loader.h"

namespace cad::dxf {
namespace {

struct Expansion {
  double drawn = 0;  // the work one reference to the block draws, its nested references' included
  int depth = 0;     // the deepest nesting below it
  enum class State : std::uint8_t { kNew, kOpen, kDone } state = State::kNew;
};

// The block a reference or dimension draws and how many times; null for any other entity.
ObjectId drawnBlock(const Entity& entity, double& times) {
  if (auto* reference = BlockReference::cast(&entity)) {
    times = static_cast<double>(std::max(reference->rows, 1)) * std::max(reference->columns, 1);
    return reference->blockTableRecord();
  }
  if (auto* dimension = Dimension::cast(&entity)) {
    times = 1;
    return dimension->dimBlockId();
  }
  return {};
}

}  // namespace

bool Loader::checkExpansion() {
  std::unordered_map<ObjectId, Expansion> blocks;
  std::wstring cycleBlock;
  std::size_t cycles = 0;
  // Post-order over the definitions, with a stack of its own: a chain of blocks may be as long as the file.
  struct Step {
    ObjectId block;
    std::size_t next = 0;  // the next of its entities to look at
  };
  std::vector<Step> stack;
  const auto expand = [&](ObjectId root) {
    if (blocks[root].state != Expansion::State::kNew) return;
    blocks[root].state = Expansion::State::kOpen;
    stack.push_back({root});
    while (!stack.empty()) {
      Step& step = stack.back();
      auto* record = BlockTableRecord::cast(db_->objectAt(step.block));
      Expansion& here = blocks[step.block];
      if (record == nullptr || step.next >= record->entityIds.size()) {
        here.state = Expansion::State::kDone;
        stack.pop_back();
        continue;
      }
      auto* entity = Entity::cast(db_->objectAt(record->entityIds[step.next]));
      double times = 1;
      const ObjectId inner = entity != nullptr ? drawnBlock(*entity, times) : ObjectId{};
      auto* innerRecord = BlockTableRecord::cast(db_->objectAt(inner));
      Expansion* child = innerRecord != nullptr && !innerRecord->isLayout() ? &blocks[inner] : nullptr;
      if (child != nullptr && child->state == Expansion::State::kNew) {
        child->state = Expansion::State::kOpen;
        stack.push_back({inner});  // this entity is looked at again once the inner block is counted
        continue;
      }
      ++step.next;
      if (entity == nullptr) continue;
      here.drawn += drawnWork(*entity);
      if (child == nullptr) continue;
      if (child->state == Expansion::State::kOpen) {
        // A block inside itself: the renderer and the extents stop at the reference that closes the circle.
        if (cycles++ == 0) cycleBlock = innerRecord->name;
        continue;
      }
      here.drawn += times * child->drawn;
      here.depth = std::max(here.depth, child->depth + 1);
    }
  };

  double total = 0;
  int deepest = 0;
  ObjectId largest;
  double largestDrawn = 0;
  auto* table = static_cast<BlockTable*>(db_->objectAt(db_->blockTableId()));
  for (ObjectId id : table->recordIds) {
    auto* record = BlockTableRecord::cast(db_->objectAt(id));
    if (record == nullptr || !record->isLayout()) continue;
    expand(id);
    total += blocks[id].drawn;
    deepest = std::max(deepest, blocks[id].depth);
    for (ObjectId entityId : record->entityIds) {
      auto* entity = Entity::cast(db_->objectAt(entityId));
      double times = 1;
      const ObjectId inner = entity != nullptr ? drawnBlock(*entity, times) : ObjectId{};
      auto found = blocks.find(inner);
      if (found != blocks.end() && times * found->second.drawn > largestDrawn) {
        largestDrawn = times * found->second.drawn;
        largest = inner;
      }
    }
  }
  if (cycles > 0) {
    warnings_.push_back("block " + quoted(cycleBlock) + " contains itself" +
                        (cycles > 1 ? " (and " + std::to_string(cycles - 1) + " more such references)" : "") +
                        "; the reference inside it is not drawn");
  }
  if (deepest > kMaxBlockNesting) {
    warnings_.push_back("blocks are nested " + std::to_string(deepest) + " deep; those below " +
                        std::to_string(kMaxBlockNesting) + " levels are not drawn");
  }
  if (total > kMostDrawnWork) {
    auto* record = BlockTableRecord::cast(db_->objectAt(largest));
    char amount[32], most[32];
    std::snprintf(amount, sizeof amount, "%.3g", total);
    std::snprintf(most, sizeof most, "%.3g", kMostDrawnWork);
    refusal_ = std::string("the drawing would draw about ") + amount + " characters, vertices and curve segments (" +
               (record != nullptr ? "block " + quoted(record->name) + " the most" : "its own entities") +
               "), beyond the " + most + " any drawing may draw";
    return false;
  }
  return true;
}

}  // namespace cad::dxf
