#pragma once
// What a scan learns about a block definition, learnt once per definition and not once per reference: a
// drawing with a thousand references to three title blocks walks three definitions.

#include <string>
#include <unordered_map>

#include "cad/object_id.h"

namespace cad {
class BlockReference;
}

struct VexBatchBlockDefinitionFacts {
  bool opened = false;             // the definition could be opened; else the flags below stay false
  bool dynamicDefinition = false;  // the definition itself is a dynamic block
  bool externalReference = false;  // an external or overlay reference
  bool frameSignature = false;     // vexBatchBlockDefinitionHasFrameSignature(definition, 0)
};

// Valid for one scan: the drawing may change between scans.
class VexBatchBlockDefinitionCache {
 public:
  // Facts of the definition with this id (a null id opens nothing).
  [[nodiscard]] const VexBatchBlockDefinitionFacts& facts(cad::ObjectId definitionId);
  // vexBatchBlockReferenceName of the reference, asked once per definition.
  [[nodiscard]] const std::wstring& referenceName(const cad::BlockReference& reference);
  // The host's dynamic-block test: a dynamic definition, or an anonymous representation of one.
  [[nodiscard]] bool isDynamic(const cad::BlockReference& reference);

 private:
  std::unordered_map<cad::ObjectId, VexBatchBlockDefinitionFacts> facts_;
  std::unordered_map<cad::ObjectId, std::unordered_map<cad::ObjectId, std::wstring>> names_;
};
