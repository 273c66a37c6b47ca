#pragma once
// The values that sheet recognition exchanges with the plot pipeline and the panels.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cad/object_id.h"

// The paper choice of a panel or a queue run; the values equal the items of the paper pop-ups.
enum VexBatchPrintPaperMode : std::int32_t {
  VexBatchPrintPaperModeAutomatic = 0,
  VexBatchPrintPaperModeA4 = 1,
  VexBatchPrintPaperModeA3 = 2,
  VexBatchPrintPaperModeA2 = 3,
  VexBatchPrintPaperModeA1 = 4,
  VexBatchPrintPaperModeA0 = 5,
};

// A paper in millimetres, shorter side first; it has no orientation.
struct [[nodiscard]] VexBatchPrintPaperSpec {
  std::wstring name;
  double shortSide = 210.0;
  double longSide = 297.0;
};

// A sheet on a paper-space layout (a window on it), or the whole layout.
struct [[nodiscard]] VexBatchPrintLayoutRecord {
  cad::ObjectId layoutId;
  std::wstring sheetName;
  std::wstring layoutName;
  std::wstring frameLayer;
  std::wstring plotConfigName;
  std::wstring canonicalMediaName;
  std::int32_t tabOrder = 0;
  double paperWidth = 0;
  double paperHeight = 0;
  bool wholeLayout = false;
  bool layoutWindow = false;
  bool exactPaperFrame = false;
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  std::int32_t enclosedViewportCount = 0;
  std::int32_t activeViewportCount = 0;
  VexBatchPrintPaperSpec paper;
};

// A frame found in model space.
struct [[nodiscard]] VexBatchPrintFrameRecord {
  cad::ObjectId entityId;
  cad::ObjectId blockReferenceId;
  std::wstring blockName;
  std::wstring name;
  std::wstring layer;
  std::wstring sourceKind;
  std::wstring evidence;
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  double rotationDegrees = 0;
  bool dynamicBlock = false;
  bool externalReference = false;
  bool plottableLayer = true;
  VexBatchPrintPaperSpec paper;
};

// A frame left out because nothing lies inside it; the layout name is empty in model space.
struct QDLExcludedBlankFrame {
  QDLExcludedBlankFrame(std::wstring layoutName, double minX, double minY, double maxX, double maxY)
      : layoutName(std::move(layoutName)), minX(minX), minY(minY), maxX(maxX), maxY(maxY) {}
  std::wstring layoutName;
  double minX;
  double minY;
  double maxX;
  double maxY;
};

// The counters of one scan. Each counter's name is its key in the diagnostics dictionary.
struct VexBatchScanDiagnostics {
  std::vector<QDLExcludedBlankFrame> excludedBlankFrames;
  std::uint64_t rawCandidates = 0;
  std::uint64_t viewports = 0;
  std::uint64_t matched = 0;
  std::uint64_t enclosingCandidates = 0;
  std::uint64_t promotedEnclosures = 0;
  std::uint64_t singleViewportCandidates = 0;
  std::uint64_t promotedSingleViewportFrames = 0;
  std::uint64_t contentOnlyCandidates = 0;
  std::uint64_t promotedContentOnlyFrames = 0;
  std::uint64_t acceptedWithoutViewport = 0;
  std::uint64_t acceptedSingleViewport = 0;
  std::uint64_t acceptedMultipleViewports = 0;
  std::uint64_t nestedChildExcluded = 0;
  std::uint64_t lowerPriorityOuterExcluded = 0;
  std::uint64_t geometryClosedRectangles = 0;
  std::uint64_t legacyCurveRectangles = 0;
  std::uint64_t outerFrameGroups = 0;
  std::uint64_t groupedViewports = 0;
  std::uint64_t suppressedFallbackViewports = 0;
  std::uint64_t duplicates = 0;
  std::uint64_t filteredOut = 0;
  std::uint64_t nestedExcluded = 0;
  std::uint64_t rotatedCandidates = 0;
  std::uint64_t dynamicBlockReferences = 0;
  std::uint64_t externalReferenceBlocks = 0;
  std::uint64_t nonUniformScaleReferences = 0;
  std::uint64_t finalCount = 0;
};
