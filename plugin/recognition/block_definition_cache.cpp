#include "recognition/block_definition_cache.h"

#include "cad/database.h"
#include "recognition/frame_geometry.h"
#include "recognition/predicates.h"

const VexBatchBlockDefinitionFacts& VexBatchBlockDefinitionCache::facts(cad::ObjectId definitionId) {
  auto found = facts_.find(definitionId);
  if (found != facts_.end()) return found->second;
  VexBatchBlockDefinitionFacts facts;
  cad::BlockTableRecord* definition = nullptr;
  if (!definitionId.isNull() && cad::acdbOpenObject(definition, definitionId, cad::kForRead) == cad::eOk) {
    facts.opened = true;
    facts.dynamicDefinition = definition->isDynamicBlock();
    facts.externalReference = definition->isFromExternalReference() || definition->isFromOverlayReference();
    facts.frameSignature = vexBatchBlockDefinitionHasFrameSignature(definition, 0);
    definition->close();
  }
  return facts_.emplace(definitionId, facts).first->second;
}

const std::wstring& VexBatchBlockDefinitionCache::referenceName(const cad::BlockReference& reference) {
  // The name depends on the definition and, for a dynamic block, on the dynamic definition behind it.
  auto& byDynamic = names_[reference.blockTableRecord()];
  auto found = byDynamic.find(reference.dynamicBlockTableRecord());
  if (found != byDynamic.end()) return found->second;
  return byDynamic.emplace(reference.dynamicBlockTableRecord(), vexBatchBlockReferenceName(&reference)).first->second;
}

bool VexBatchBlockDefinitionCache::isDynamic(const cad::BlockReference& reference) {
  const VexBatchBlockDefinitionFacts& definition = facts(reference.blockTableRecord());
  if (!definition.opened) return false;
  cad::ObjectId dynamicId = reference.dynamicBlockTableRecord();
  bool anonymousRepresentation = !dynamicId.isNull() && dynamicId != reference.blockTableRecord();
  return definition.dynamicDefinition || anonymousRepresentation;
}
