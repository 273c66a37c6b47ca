#pragma once
// Writes a new PDF page by page: a page of a given size, graphics state saved and restored, clipping,
// transforms, and pages of other documents drawn into it (each as a form XObject, clipped to its crop box).
// Nothing reaches the disk before close(), which writes a work file beside the target and puts it in the
// target's place in one rename: the target holds its old content or the complete new file, never a part.
// Like a PDF context, it does not wait for the disk.

#include <memory>
#include <string>

#include "graphics/pdf_document.h"
#include "graphics/pdf_geometry.h"

namespace graphics {

class PdfWriter {
 public:
  // Null when no file can be written at `path` (its folder is missing or not writable, or a folder stands at
  // the path); `error` then says why.
  static std::unique_ptr<PdfWriter> create(const std::string& path, std::string* error = nullptr);
  // Without close() nothing is written and the target stays as it was.
  ~PdfWriter();
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // A misplaced call (drawing outside a page, a restore without a save, a page begun inside another) or an
  // unusable value does nothing but is remembered: close() then fails with the first such error.
  void beginPage(PdfRect mediaBox);
  void saveGState();
  void restoreGState();
  // Narrows the clip to the rectangle, in the current user space.
  void clipToRect(PdfRect rect);
  // Applies `m` before the current transform, as the "cm" operator does.
  void concatCTM(const PdfMatrix& m);
  // The page's content in its own coordinates (media box origin and rotation not applied; drawingTransform
  // gives the transform that does that), clipped to its crop box.
  void drawPage(const PdfPage& page);
  // Restores any state still saved on the page.
  void endPage();

  // Ends an open page and writes the file. False with `error` when an earlier call failed or the file could
  // not be written; the target is then unchanged and no work file is left. A writer closes once.
  bool close(std::string* error = nullptr);

 private:
  struct State;
  explicit PdfWriter(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace graphics
