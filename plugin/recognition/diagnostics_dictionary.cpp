#include "recognition/diagnostics_dictionary.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>

#include "recognition/recognition_state.h"

namespace {

using Counter = std::uint64_t VexBatchScanDiagnostics::*;
using NamedCounter = std::pair<const char*, Counter>;

#define QDL_COUNTER(name) \
  NamedCounter { #name, &VexBatchScanDiagnostics::name }

constexpr NamedCounter kLayoutCounters[] = {
    QDL_COUNTER(rawCandidates),
    QDL_COUNTER(viewports),
    QDL_COUNTER(matched),
    QDL_COUNTER(enclosingCandidates),
    QDL_COUNTER(promotedEnclosures),
    QDL_COUNTER(singleViewportCandidates),
    QDL_COUNTER(promotedSingleViewportFrames),
    QDL_COUNTER(contentOnlyCandidates),
    QDL_COUNTER(promotedContentOnlyFrames),
    QDL_COUNTER(acceptedWithoutViewport),
    QDL_COUNTER(acceptedSingleViewport),
    QDL_COUNTER(acceptedMultipleViewports),
    QDL_COUNTER(nestedChildExcluded),
    QDL_COUNTER(lowerPriorityOuterExcluded),
    QDL_COUNTER(geometryClosedRectangles),
    QDL_COUNTER(legacyCurveRectangles),
    QDL_COUNTER(outerFrameGroups),
    QDL_COUNTER(groupedViewports),
    QDL_COUNTER(suppressedFallbackViewports),
    QDL_COUNTER(duplicates),
    QDL_COUNTER(filteredOut),
    QDL_COUNTER(finalCount),
};

constexpr NamedCounter kModelCounters[] = {
    QDL_COUNTER(rawCandidates),
    QDL_COUNTER(rotatedCandidates),
    QDL_COUNTER(dynamicBlockReferences),
    QDL_COUNTER(externalReferenceBlocks),
    QDL_COUNTER(nonUniformScaleReferences),
    QDL_COUNTER(filteredOut),
    QDL_COUNTER(duplicates),
    QDL_COUNTER(nestedExcluded),
    QDL_COUNTER(nestedChildExcluded),
    QDL_COUNTER(lowerPriorityOuterExcluded),
    QDL_COUNTER(finalCount),
};

#undef QDL_COUNTER

template <std::size_t N>
nlohmann::json countersOf(const VexBatchScanDiagnostics& diagnostics, const NamedCounter (&counters)[N]) {
  nlohmann::json out = nlohmann::json::object();
  for (const auto& [key, counter] : counters) out[key] = diagnostics.*counter;
  return out;
}

}  // namespace

nlohmann::json vexBatchRecognitionDiagnosticsDictionary() {
  return {
      {"layout", countersOf(gBatchLayoutDiagnostics, kLayoutCounters)},
      {"model", countersOf(gBatchModelDiagnostics, kModelCounters)},
      {"options",
       {{"includeNonPlottableLayers", gBatchIncludeNonPlottableLayers},
        {"excludeBlankRectangles", gBatchExcludeBlankRectangles}}},
  };
}
