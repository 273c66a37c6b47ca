#include "cad/render/drawing_renderer.h"

#include <new>

#include "cad/command_line.h"
#include "cad/database.h"
#include "cad/interruption.h"
#include "cad/plot/plot_settings.h"
#include "cad/render/pens.h"
#include "cad/render/placement.h"
#include "cad/render/plot_area.h"
#include "cad/render/scene.h"
#include "graphics/cairo_context.h"

namespace cad::render {
namespace {

std::wstring counted(std::size_t count, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

// One line on the command line for what the sheet leaves out or cuts short, as the host tells of a plot.
void tellLeftOut(const LeftOut& left) {
  std::wstring told;
  const auto add = [&](const std::wstring& part) { told += (told.empty() ? L"" : L"; ") + part; };
  if (left.shapes > 0) add(counted(left.shapes, L"shape is", L"shapes are") + L" left out (no shape file)");
  if (left.longTexts > 0) {
    add(counted(left.longTexts, L"text is drawn to its", L"texts are drawn to their") + L" first " +
        std::to_wstring(kMostTextCharacters) + L" characters");
  }
  if (left.denseHatches > 0) {
    add(counted(left.denseHatches, L"hatch pattern is", L"hatch patterns are") + L" too fine to draw and filled");
  }
  if (!told.empty()) commandLine().print(L"\nPlot: " + told + L".");
}

}  // namespace

bool DrawingRenderer::renderPage(const Database& db, ObjectId layoutId, const PlotSettings& validated,
                                 const PageTarget& target, std::string& error) {
  // However a drawing slipped past the bounds at open, a page that needs more memory than there is fails as
  // a page, with its reason; the host goes on.
  try {
    return drawPage(db, layoutId, validated, target, error);
  } catch (const std::bad_alloc&) {
    error = "The page needs more memory than the computer has";
    return false;
  }
}

bool DrawingRenderer::drawPage(const Database& db, ObjectId layoutId, const PlotSettings& validated,
                               const PageTarget& target, std::string& error) {
  auto* layout = dynamic_cast<const Layout*>(db.objectAt(layoutId));
  if (layout == nullptr) {
    error = "The page's layout is not in the drawing";
    return false;
  }
  std::unique_ptr<graphics::CairoContext> context =
      graphics::CairoContext::pdf(target.path, target.mediaWidth, target.mediaHeight);
  if (!context) {
    error = "Cannot make a page of that size";
    return false;
  }
  // Cairo's space runs down from the medium's top-left corner; the target's transform is in PDF space, y up.
  context->concat({1, 0, 0, -1, 0, target.mediaHeight});
  const auto& m = target.uprightToMedium;
  context->concat({m[0], m[1], m[2], m[3], m[4], m[5]});

  const ObjectId space = layout->getBlockTableRecordId();
  const std::shared_ptr<const SpaceIndex> index = indexes_.indexOf(db, space);
  const std::optional<PlotArea> area = index ? plotAreaFor(db, *layout, validated, *index) : std::nullopt;
  const std::optional<Placement> placement =
      area ? placePlot(validated, target, area->box, area->fromOrigin) : std::nullopt;
  // Nothing to plot, or nothing that can be placed, makes a blank sheet, as a device prints one.
  if (placement) {
    const graphics::AffineTransform toSheet =
        graphics::AffineTransform::concat(area->spaceToPlot, placement->plotToSheet);
    context->clipToRect(placement->printable);
    const graphics::Rect visible = toSheet.inverted().apply(placement->printable);
    const PagePens pens(db, validated, placement->paperUnitsPerUnit);
    // The table was readable when the plot was validated; one damaged since fails the page, never recolours it.
    if (!pens.error().empty()) {
      error = pens.error();
      return false;
    }
    Scene scene(*context, db, pens, indexes_);
    scene.drawSpace(space, toSheet, {visible.minX(), visible.minY(), visible.maxX(), visible.maxY()},
                    !layout->modelType());
    // Ended by a signal: the page is dropped unfinished; nothing is written for it.
    if (scene.interrupted()) {
      error = "the plot was interrupted";
      return false;
    }
    tellLeftOut(scene.leftOut());
  }
  error = context->finish([] { return interruptionSignal() != 0; });
  return error.empty();
}

void installDrawingRenderer() { setPageRenderer(std::make_shared<DrawingRenderer>()); }

}  // namespace cad::render
