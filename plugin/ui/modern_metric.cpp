#include "ui/modern_metric.h"

#include "graphics/image.h"
#include "toolkit/image_view.h"
#include "toolkit/text_field.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/modern_place.h"
#include "ui/palette.h"

using graphics::Font;
using graphics::FontWeight;

QDLModernMetric::QDLModernMetric(const std::string& title, const std::string& symbol, const graphics::Color& color) {
  setRadius(0);
  setFill(graphics::Color::clear());

  valueLabel_ = QDLCompactText("0");
  valueLabel_->setFont(Font::monospacedDigitSystem(15, FontWeight::semibold));
  valueLabel_->setTextColor(QDLModernInk());
  titleLabel_ = QDLCompactText(title);
  titleLabel_->setFont(Font::system(12, FontWeight::medium));
  titleLabel_->setTextColor(QDLModernInk());
  detailLabel_ = QDLCompactText(QDLT("尚未扫描"));
  detailLabel_->setFont(Font::system(11));
  detailLabel_->setTextColor(graphics::Color::named(graphics::SystemColor::secondaryLabel));

  icon_ = std::make_shared<toolkit::ImageView>();
  std::shared_ptr<graphics::Image> image = graphics::Image::systemSymbol(symbol);
  icon_->setImage(image ? image->withPalette(color) : nullptr);
  icon_->setImageScaling(toolkit::ImageScaling::proportionallyUpOrDown);
  icon_->setWantsLayer(true);
  icon_->layer()->backgroundColor = color.withAlpha(0.1);
  icon_->layer()->cornerRadius = 7;

  addSubview(icon_);
  addSubview(valueLabel_);
  addSubview(titleLabel_);
  addSubview(detailLabel_);
}

void QDLModernMetric::layout() {
  QDLModernSurface::layout();
  const double w = bounds().width();
  QDLModernPlace(*this, icon_, 0, 8, 16, 16);
  QDLModernPlace(*this, titleLabel_, 22, 7, w - 88, 19);
  QDLModernPlace(*this, valueLabel_, w - 64, 5, 64, 23);
  detailLabel_->setHidden(true);
}
