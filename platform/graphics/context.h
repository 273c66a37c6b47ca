#pragma once
// The drawing context that views draw into: a graphics state (transform, clip, alpha, appearance, and whether the
// current view's y axis points down), paths, text and images. Back ends (cairo for PNG and PDF, a recording one
// for tests) see every operation after the common work is done here: colours resolved for the appearance, text
// wrapped or truncated, and the placement that keeps text and images upright whichever way y points.

#include <memory>
#include <string>
#include <vector>

#include "graphics/bezier_path.h"
#include "graphics/color.h"
#include "graphics/geometry.h"
#include "graphics/gradient.h"
#include "graphics/image.h"
#include "graphics/text_measurer.h"
#include "graphics/text_style.h"

namespace graphics {

enum class CompositingOperation { sourceOver, copy };

// A text as the back end draws it.
struct TextDraw {
  std::string text;                // as given
  std::vector<std::string> lines;  // what shows, after wrapping or truncation
  std::vector<Point> lineOrigins;  // top-left corner of each line, in the upright box
  Rect rect;                       // as given, in user space
  AffineTransform box;             // upright box (y down from the rectangle's visual top-left) to user space
  TextAttributes attributes;       // colour resolved, alpha applied
  bool clipped = false;            // clipped to the rectangle: several wrapped lines, or the clipping mode
};

struct ImageDraw {
  std::shared_ptr<const Image> image;
  Rect rect;             // as given, in user space
  AffineTransform box;   // image box (y down, image size units) to user space
  CompositingOperation operation = CompositingOperation::sourceOver;
  double alpha = 1;      // the fraction times the context's alpha
  Color tint;            // symbols: the palette colour, resolved
};

class GraphicsContext {
 public:
  // The measurer decides how text is wrapped and truncated; it must outlive the context.
  explicit GraphicsContext(const TextMeasurer& measurer) : measurer_(&measurer) {}
  virtual ~GraphicsContext() = default;
  GraphicsContext(const GraphicsContext&) = delete;
  GraphicsContext& operator=(const GraphicsContext&) = delete;

  const TextMeasurer& measurer() const { return *measurer_; }

  // Every save needs its restore; a restore without a save is ignored.
  void saveGState();
  void restoreGState();
  std::size_t stateDepth() const { return stack_.size(); }

  void translate(double dx, double dy);
  void scale(double sx, double sy);
  void rotate(double degrees);
  void concat(const AffineTransform& t);
  // User space to device space.
  const AffineTransform& currentTransform() const { return state_.transform; }

  // Whether y grows downwards in the current user space (text and images are drawn upright either way).
  void setFlipped(bool flipped) { state_.flipped = flipped; }
  bool isFlipped() const { return state_.flipped; }
  void setAppearance(Appearance appearance) { state_.appearance = appearance; }
  Appearance appearance() const { return state_.appearance; }
  // Multiplies every colour's alpha and every image's opacity.
  void setAlpha(double alpha);
  double alpha() const { return state_.alpha; }

  void clipToRect(const Rect& rect);
  void clipToPath(const BezierPath& path);
  // The clip area's bounding box in user space; a very large rectangle while nothing clips.
  Rect clipBoundingBox() const;

  void fillPath(const BezierPath& path, const Color& color);
  // With the path's line width, caps and joins.
  void strokePath(const BezierPath& path, const Color& color);
  void fillRect(const Rect& rect, const Color& color);
  // The path filled by its winding rule with colours running as the gradient says.
  void fillPath(const BezierPath& path, const Gradient& gradient);

  // Lays the text into the rectangle: the first line's top at the rectangle's top (so its baseline is one ascent
  // below), every line drawn even where the rectangle is too short for it unless several wrapped lines are clipped.
  void drawString(const std::string& text, const Rect& rect, const TextAttributes& attributes);
  // One unlimited line per line break, starting at the point (the text's top-left corner in a flipped space, its
  // bottom-left corner otherwise).
  void drawString(const std::string& text, const Point& point, const TextAttributes& attributes);
  // The image scaled into the rectangle. With `respectFlipped` it shows upright in a flipped space too.
  void drawImage(const std::shared_ptr<const Image>& image, const Rect& rect,
                 CompositingOperation operation = CompositingOperation::sourceOver, double fraction = 1.0,
                 bool respectFlipped = true);

 protected:
  virtual void onSave() = 0;
  virtual void onRestore() = 0;
  // The whole new transform (user to device).
  virtual void onTransform(const AffineTransform& transform) = 0;
  virtual void onClip(const BezierPath& path) = 0;
  virtual void onFill(const BezierPath& path, const Color& color) = 0;
  // Back ends without gradients fill with the middle stop's colour.
  virtual void onGradientFill(const BezierPath& path, const Gradient& gradient);
  virtual void onStroke(const BezierPath& path, const Color& color) = 0;
  virtual void onText(const TextDraw& text) = 0;
  virtual void onImage(const ImageDraw& image) = 0;

 private:
  struct State {
    AffineTransform transform;
    bool flipped = false;
    Appearance appearance = Appearance::aqua;
    double alpha = 1;
    bool clipped = false;
    Rect deviceClip;
  };
  Color prepared(const Color& color) const;
  // The box with y down from the rectangle's visual top-left, scaled so that it spans `unit` across the rectangle.
  AffineTransform uprightBox(const Rect& rect, Size unit, bool upright) const;

  const TextMeasurer* measurer_;
  State state_;
  std::vector<State> stack_;
};

}  // namespace graphics
