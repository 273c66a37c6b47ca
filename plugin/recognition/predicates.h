#pragma once
// Which entities may be frames, judged by names, layers and the recognition mode the user chose. All read
// the recognition state and change nothing; every object they open is closed before they return.

#include <string>

#include "cad/object_id.h"

namespace cad {
class Entity;
class BlockReference;
}  // namespace cad

// The name holds "图框", "frame", "border", "title" or "tk", in any letter case.
[[nodiscard]] bool vexBatchFrameLayerPreferred(const std::wstring& name);
// Same length and equal character by character after towlower; no trimming.
[[nodiscard]] bool vexBatchLayerNamesEqual(const std::wstring& a, const std::wstring& b);
// The entity matches the current recognition mode (always, in automatic mode).
[[nodiscard]] bool vexBatchEntityMatchesFrameRecognition(const cad::Entity* entity);
// The named layer of the working drawing plots; an empty or unknown name, or a failed lookup, counts as plotted.
[[nodiscard]] bool vexBatchLayerNameIsPlottable(const std::wstring& layer);

// The entity's layer name; empty when there is none to give.
[[nodiscard]] std::wstring vexBatchEntityLayer(const cad::Entity* entity);
// The plot flag of the entity's layer; true when the layer cannot be opened.
[[nodiscard]] bool vexBatchEntityLayerIsPlottable(const cad::Entity* entity);
// True when non-plotted layers are included, else the layer's plot flag.
[[nodiscard]] bool vexBatchEntityLayerIsAllowed(const cad::Entity* entity);
// The referenced block's name; a dynamic block's own name for any of its anonymous representations.
[[nodiscard]] std::wstring vexBatchBlockReferenceName(const cad::BlockReference* reference);
// A mode other than automatic is active.
[[nodiscard]] bool vexBatchExplicitFrameMode();
[[nodiscard]] bool vexBatchSelectedFrameContains(const cad::ObjectId& id);
// True unless the mode is "designated layer"; then whether the layer is the designated one.
[[nodiscard]] bool vexBatchFrameMatchesDesignatedLayer(const std::wstring& layer);
