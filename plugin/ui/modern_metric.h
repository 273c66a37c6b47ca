#pragma once
// A statistic tile: a tinted icon, a title and a value on one line (the value in the last 64 points). The detail
// label is kept for its owner to write but hidden at every layout.

#include <memory>
#include <string>

#include "graphics/color.h"
#include "ui/modern_surface.h"

namespace toolkit {
class ImageView;
class TextField;
}  // namespace toolkit

class QDLModernMetric : public QDLModernSurface {
 public:
  // The title as given (callers translate it); the icon is the named symbol in `color` on a plate of that colour
  // at 10 %. A clear, square-cornered tile.
  QDLModernMetric(const std::string& title, const std::string& symbol, const graphics::Color& color);

  const std::shared_ptr<toolkit::TextField>& valueLabel() const { return valueLabel_; }
  const std::shared_ptr<toolkit::TextField>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<toolkit::TextField>& detailLabel() const { return detailLabel_; }
  const std::shared_ptr<toolkit::ImageView>& icon() const { return icon_; }

  void layout() override;

 private:
  std::shared_ptr<toolkit::TextField> valueLabel_;
  std::shared_ptr<toolkit::TextField> titleLabel_;
  std::shared_ptr<toolkit::TextField> detailLabel_;
  std::shared_ptr<toolkit::ImageView> icon_;
};
