#pragma once
// What the publish engine draws a page with. A renderer writes one page of a layout, as its validated plot
// settings say, into a one-page PDF whose MediaBox is the target's; the engine then makes the plot's PDF of
// those pages. Until a renderer is installed the engine writes blank sheets of the validated medium.

#include <memory>
#include <string>

#include "cad/object_id.h"
#include "cad/plot/page_target.h"

namespace cad {

class Database;
class PlotSettings;

// The geometry of a page plotted with these validated settings; `extraMm` enlarges the medium (a fault a
// test injects).
PageTarget pageTargetFor(const PlotSettings& validated, double extraMm = 0);

class PageRenderer {
 public:
  virtual ~PageRenderer() = default;
  // False with `error` set when the page could not be written.
  virtual bool renderPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                          std::string& error) = 0;
};

// Writes the sheet blank.
class BlankPageWriter : public PageRenderer {
 public:
  bool renderPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                  std::string& error) override;
};

PageRenderer& pageRenderer();
// nullptr puts the blank page writer back.
void setPageRenderer(std::shared_ptr<PageRenderer> renderer);

}  // namespace cad
