#pragma once
// What the layout scan gathers on one paper-space layout before it makes sheet records: frames, rectangles
// that may become frames, viewport tiles, axis-parallel border lines and the extents of drawn content. The
// lists live for one layout and are discarded after it; each stage of the scan reads and extends them.

#include <string>
#include <vector>

#include "cad/object_id.h"
#include "recognition/box.h"
#include "recognition/records.h"

// A frame accepted as a sheet candidate.
struct PaperFrame {
  VexBatchBox box;
  std::wstring layer;
  std::wstring blockName;  // empty unless a block reference formed it
  VexBatchPrintPaperSpec paper;
  bool fromBlockReference = false;  // a block frame outranks any other in duplicates and nesting
  cad::ObjectId entityId;
};

// A rectangle that is not a sheet by itself but may be promoted to a frame.
struct EnclosingRectangle {
  VexBatchBox box;
  bool plottable = true;  // its layer plots; for "four-lines" all four lines' layers plot
  bool fromBlockReference = false;
  std::wstring source;  // the entity's class name, "unknown", or "four-lines"
  std::wstring layer;   // empty for "four-lines"
  std::wstring blockName;
  cad::ObjectId entityId;  // null for "four-lines"
};

// A floating viewport of the layout (never the layout's own paper-space viewport).
struct ViewportTile {
  double centerX = 0;
  double centerY = 0;
  double width = 0;
  double height = 0;
  bool isOn = true;
  VexBatchPrintPaperSpec paper;
  bool matched = false;
  VexBatchBox matchedBox;  // the frame it was matched to
  std::wstring matchedLayer;
};

struct AxisAlignedBorderLine {
  bool horizontal = false;
  double position = 0;  // the mean y of a horizontal line's ends, the mean x of a vertical one's
  double from = 0;      // extent along the line's own axis, from ≤ to
  double to = 0;
  bool plottable = true;
};

// The extents of one drawn entity: tells content from blank paper.
struct PaperEntityEvidence {
  cad::ObjectId entityId;
  VexBatchBox box;
  double centerX = 0;
  double centerY = 0;
};

// One layout's candidates, with the base record that each of its sheet records copies.
struct VexBatchLayoutCandidates {
  VexBatchPrintLayoutRecord base;
  std::vector<PaperFrame> frames;
  std::vector<EnclosingRectangle> rectangles;
  std::vector<ViewportTile> tiles;
  std::vector<AxisAlignedBorderLine> borderLines;
  std::vector<PaperEntityEvidence> evidence;
};
