#pragma once
// Tests of the interface kit: a stored language (Simplified Chinese unless a test picks another), text measured at
// fixed advances (narrow characters half the font size, wide ones a whole) so that layout and truncation do not
// depend on fonts, and a way to see what one view draws.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphics/recording_context.h"
#include "graphics/text_measurer.h"
#include "language_fixture.h"
#include "toolkit/view.h"

namespace ui_test {

class KitTest : public LanguageTest {
 protected:
  void SetUp() override {
    LanguageTest::SetUp();
    graphics::setTextMeasurer(std::make_shared<graphics::FixedAdvanceMeasurer>());
    useLanguage("zh");
  }
  void TearDown() override {
    graphics::setTextMeasurer(nullptr);
    LanguageTest::TearDown();
  }

  // What the view draws of its own, in its own coordinates, as the window's drawing gives it the context.
  static std::unique_ptr<graphics::RecordingContext> drawn(toolkit::View& view) {
    auto context = std::make_unique<graphics::RecordingContext>();
    context->setFlipped(view.isFlipped());
    view.drawRect(*context, view.bounds());
    return context;
  }

  static std::vector<const graphics::RecordedOperation*> ops(const graphics::RecordingContext& context,
                                                             graphics::RecordedOperation::Kind kind) {
    return context.operations(kind);
  }
};

// Colours compared component by component, as drawn.
inline bool sameColor(const graphics::Color& a, const graphics::Color& b) {
  auto near = [](double x, double y) { return x > y - 1e-9 && x < y + 1e-9; };
  return near(a.red(), b.red()) && near(a.green(), b.green()) && near(a.blue(), b.blue()) && near(a.alpha(), b.alpha());
}

}  // namespace ui_test

namespace ui_test {

// The same elements at the same points.
inline bool samePath(const graphics::BezierPath& a, const graphics::BezierPath& b) {
  if (a.elements().size() != b.elements().size()) return false;
  for (std::size_t i = 0; i < a.elements().size(); ++i) {
    const auto& x = a.elements()[i];
    const auto& y = b.elements()[i];
    if (x.kind != y.kind) return false;
    for (int p = 0; p < 3; ++p) {
      if (std::abs(x.points[p].x - y.points[p].x) > 1e-9 || std::abs(x.points[p].y - y.points[p].y) > 1e-9)
        return false;
    }
  }
  return true;
}

}  // namespace ui_test
