#include "toolkit/segmented_control.h"

#include <algorithm>
#include <cmath>

#include "graphics/text_measurer.h"
#include "toolkit/control_drawing.h"
#include "toolkit/event.h"

namespace toolkit {

std::shared_ptr<SegmentedControl> SegmentedControl::withLabels(const std::vector<std::string>& labels, Action action) {
  auto control = std::make_shared<SegmentedControl>();
  control->setSegmentCount(static_cast<long>(labels.size()));
  for (std::size_t i = 0; i < labels.size(); ++i) control->setLabel(labels[i], static_cast<long>(i));
  control->setAction(std::move(action));
  control->setFrameSize(control->intrinsicContentSize());
  return control;
}

void SegmentedControl::setSegmentCount(long count) {
  segments_.resize(static_cast<std::size_t>(std::max(0L, count)));
  if (selected_ >= segmentCount()) selected_ = -1;
  setNeedsDisplay();
}

std::string SegmentedControl::label(long s) const { return s >= 0 && s < segmentCount() ? segments_[s].label : ""; }

void SegmentedControl::setLabel(const std::string& label, long s) {
  if (s < 0 || s >= segmentCount()) return;
  segments_[s].label = label;
  setNeedsDisplay();
}

double SegmentedControl::width(long s) const { return s >= 0 && s < segmentCount() ? segments_[s].width : 0; }

void SegmentedControl::setWidth(double width, long s) {
  if (s < 0 || s >= segmentCount()) return;
  segments_[s].width = std::isfinite(width) ? std::max(0.0, width) : 0.0;
  setNeedsDisplay();
}

std::shared_ptr<graphics::Image> SegmentedControl::image(long s) const {
  return s >= 0 && s < segmentCount() ? segments_[s].image : nullptr;
}

void SegmentedControl::setImage(std::shared_ptr<graphics::Image> image, long s) {
  if (s >= 0 && s < segmentCount()) segments_[s].image = std::move(image);
}

bool SegmentedControl::isEnabled(long s) const { return s >= 0 && s < segmentCount() && segments_[s].enabled; }

void SegmentedControl::setEnabled(bool enabled, long s) {
  if (s >= 0 && s < segmentCount()) segments_[s].enabled = enabled;
}

std::string SegmentedControl::toolTip(long s) const {
  return s >= 0 && s < segmentCount() ? segments_[s].toolTip : "";
}

void SegmentedControl::setToolTip(const std::string& text, long s) {
  if (s >= 0 && s < segmentCount()) segments_[s].toolTip = text;
}

void SegmentedControl::setSelectedSegment(long s) {
  selected_ = s >= 0 && s < segmentCount() ? s : -1;
  setNeedsDisplay();
}

bool SegmentedControl::userSelectSegment(long s) {
  if (!isEnabled() || !isEnabled(s)) return false;
  setSelectedSegment(s);
  sendAction();
  return true;
}

double SegmentedControl::contentWidth(const Segment& segment) const {
  double w = segment.image ? segment.image->size().width : 0;
  if (!segment.label.empty()) w += (w > 0 ? 4 : 0) + graphics::textMeasurer().width(segment.label, font());
  return std::ceil(w) + 16;
}

std::vector<double> SegmentedControl::layoutWidths() const {
  std::vector<double> widths;
  double fixed = 0;
  int free = 0;
  for (const Segment& s : segments_) {
    widths.push_back(s.width);
    if (s.width > 0) fixed += s.width;
    else ++free;
  }
  if (free > 0) {
    // Unsized segments share the rest of the bounds in proportion to their content.
    double natural = 0;
    for (const Segment& s : segments_) {
      if (s.width <= 0) natural += contentWidth(s);
    }
    const double rest = std::max(0.0, bounds().width() - fixed);
    for (std::size_t i = 0; i < segments_.size(); ++i) {
      if (segments_[i].width <= 0) widths[i] = natural > 0 ? rest * contentWidth(segments_[i]) / natural : 0;
    }
  }
  return widths;
}

Rect SegmentedControl::rectOfSegment(long segment) const {
  if (segment < 0 || segment >= segmentCount()) return {};
  const std::vector<double> widths = layoutWidths();
  double x = bounds().minX();
  for (long s = 0; s < segment; ++s) x += widths[static_cast<std::size_t>(s)];
  return {x, bounds().minY(), widths[static_cast<std::size_t>(segment)], bounds().height()};
}

long SegmentedControl::segmentAtPoint(Point point) const {
  if (!bounds().contains(point)) return -1;
  for (long s = 0; s < segmentCount(); ++s) {
    if (rectOfSegment(s).contains(point)) return s;
  }
  return -1;
}

void SegmentedControl::clicked(const Event& event) {
  const long s = segmentAtPoint(convertPointFromView(event.locationInWindow(), nullptr));
  if (s >= 0) userSelectSegment(s);
}

Size SegmentedControl::intrinsicContentSize() const {
  double w = 0;
  for (const Segment& s : segments_) w += s.width > 0 ? s.width : contentWidth(s);
  return {w, std::max(24.0, std::ceil(font().lineHeight()) + 4)};
}

void SegmentedControl::drawRect(graphics::GraphicsContext& context, const Rect&) {
  const Rect box = bounds();
  plain::bezel(context, box, false, Control::isEnabled(), false);
  const std::vector<double> widths = layoutWidths();
  double x = 0;
  for (std::size_t i = 0; i < segments_.size(); ++i) {
    const Rect cell{x, 0, widths[i], box.height()};
    const bool selected = static_cast<long>(i) == selected_;
    const bool enabled = Control::isEnabled() && segments_[i].enabled;
    if (selected) {
      context.fillPath(graphics::BezierPath::roundedRect(cell.insetBy(2, 2), 4, 4), plain::accent());
    } else if (i > 0 && static_cast<long>(i) != selected_ + 1) {
      context.fillRect({x, 5, 1, std::max(0.0, box.height() - 10)}, graphics::Color::grey(0, 0.15));
    }
    graphics::Color ink = selected ? graphics::Color::white() : graphics::Color::named(graphics::SystemColor::controlText);
    if (!enabled) ink = ink.withAlpha(0.35);
    double textX = cell.minX() + 4;
    if (segments_[i].image) {
      const Size is = segments_[i].image->size();
      const double tw = segments_[i].label.empty() ? 0 : graphics::textMeasurer().width(segments_[i].label, font()) + 4;
      const double ix = cell.minX() + std::max(0.0, (cell.width() - is.width - tw) / 2);
      context.drawImage(segments_[i].image->isSymbol() ? segments_[i].image->withPalette(ink) : segments_[i].image,
                        {ix, (box.height() - is.height) / 2, is.width, is.height});
      textX = ix + is.width + 4;
      if (!segments_[i].label.empty()) {
        plain::label(context, segments_[i].label, {textX, 0, std::max(0.0, cell.maxX() - textX - 4), box.height()},
                     font(), ink, graphics::TextAlignment::left);
      }
    } else {
      plain::label(context, segments_[i].label, cell.insetBy(4, 0), font(), ink, graphics::TextAlignment::center);
    }
    x += widths[i];
  }
}

}  // namespace toolkit
