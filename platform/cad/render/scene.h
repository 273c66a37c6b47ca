#pragma once
// A space drawn onto the sheet: what shows (layers off, frozen or not plotted are left out; an entity on layer 0
// inside a block takes the reference's layer), block references with their nesting, scale, rotation and
// mirroring, their attributes, dimensions through their blocks, and viewports showing model space clipped to
// their rectangles.

#include <vector>

#include "cad/object_id.h"
#include "cad/render/entity_drawing.h"
#include "cad/render/space_index.h"

namespace cad {
class BlockReference;
class Dimension;
class Viewport;
}  // namespace cad

namespace cad::render {

class Scene {
 public:
  Scene(graphics::GraphicsContext& context, const Database& db, const PagePens& pens, SpaceIndexCache& indexes);

  // Draws the entities of a layout's space that meet `visible` (space coordinates). `toSheet` maps the space
  // onto the sheet; `paperSpace` says it is a layout's paper space, whose viewports show model space.
  void drawSpace(ObjectId record, const graphics::AffineTransform& toSheet, const Box2& visible, bool paperSpace);
  // What the drawn spaces left out or cut short.
  const LeftOut& leftOut() const { return painter_.leftOut(); }
  // An interrupting signal came while the page was drawn: it was left unfinished.
  bool interrupted() const { return interrupted_; }

 private:
  struct Frame {
    graphics::AffineTransform toSheet;
    double linetypeUnit = 1;
    Inherited inherited;
    int depth = 0;
    double viewHeight = 0;  // points on the sheet: the height of the view it shows in
  };
  void drawEntity(const Entity& entity, const Frame& frame, bool paperSpace);
  void drawBlock(ObjectId block, const graphics::AffineTransform& blockToOwner, const Frame& frame,
                 const Inherited& inherited);
  void drawViewport(const Viewport& viewport, const Frame& frame, bool border, const Look& look);
  // Whether an entity on this layer (its own, and the one it takes inside a block) is drawn.
  static bool shows(const LayerTableRecord* own, const LayerTableRecord* effective);
  // True once an interrupting signal has come: nothing more is drawn.
  bool stopping();

  graphics::GraphicsContext& context_;
  const Database& db_;
  const PagePens& pens_;
  SpaceIndexCache& indexes_;
  EntityPainter painter_;
  double ltscale_ = 1;
  bool paperLinetypes_ = true;     // model space in viewports takes paper-space linetype scaling
  std::vector<ObjectId> drawing_;  // blocks being drawn, outermost first: a block inside itself stops
  graphics::AffineTransform paperToSheet_;
  bool interrupted_ = false;
};

}  // namespace cad::render
