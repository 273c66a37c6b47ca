// Texts on a plotted sheet: their capitals stand on the insertion point as high as the text's height, and they
// are aligned, turned, narrowed, fitted and wrapped as the drawing says. Each test puts its texts in slots of
// one sheet, plots it once and looks at each slot at 10 pixels a millimetre.
#include <cmath>
#include <numbers>

#include "render_fixture.h"

namespace {

using rendertest::Raster;
using rendertest::RenderTest;
using rendertest::sheetAtFullSize;

constexpr double kTolerance = 0.35;  // mm: a few pixels

class Texts : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    db_ = cad::Database::createDefault();
    auto* layout = dynamic_cast<cad::Layout*>(db_->objectAt(db_->layoutId(L"Layout1")));
    layout->paperWidthMm = 420;
    layout->paperHeightMm = 297;
    space_ = layout->getBlockTableRecordId();
  }

  // The anchor of slot `i`: three across, four down, 140 × 70 mm each.
  static cad::Point3d slot(int i) { return {70.0 + 140 * (i % 3), 40.0 + 70 * (i / 3), 0}; }

  void add(std::unique_ptr<cad::Entity> entity) { db_->appendEntity(space_, std::move(entity)); }

  // Plots the sheet; then the ink of each slot, from 65 mm left of its anchor to 65 right, 30 below to 34 above.
  void plotSlots() { ASSERT_TRUE(plot(L"Layout1", sheetAtFullSize())); }
  Raster::Box ink(int i) const {
    const cad::Point3d a = slot(i);
    const Raster r = rasterPart("plot.pdf", 254, a.x - 65, a.y - 30, 130, 64, 297);
    Raster::Box box;
    EXPECT_TRUE(r.inkBox(box)) << "slot " << i;
    return box;
  }

  static std::unique_ptr<cad::Text> text(const std::wstring& contents, const cad::Point3d& at, double height) {
    auto t = std::make_unique<cad::Text>();
    t->contents = contents;
    t->position = t->alignment = at;
    t->height = height;
    return t;
  }

  static std::unique_ptr<cad::MText> mtext(const std::wstring& contents, const cad::Point3d& at, int attachment) {
    auto t = std::make_unique<cad::MText>();
    t->contents = contents;
    t->location = at;
    t->textHeight = 5;
    t->attachment = attachment;
    return t;
  }

  cad::ObjectId space_;
};

TEST_F(Texts, SingleLineTextsStandAlignTurnAndStretchAsTheDrawingSays) {
  // Slot 0: a plain text; its capitals give the width and side bearing every other slot is measured by.
  add(text(L"HHHH", slot(0), 10));
  struct Alignment {
    const char* name;
    int horizontal, vertical;
    double advances, heights;  // where the advance starts and the baseline runs: advances and heights from the point
  };
  const Alignment alignments[] = {
      {"centre", 1, 0, -0.5, 0}, {"right", 2, 0, -1, 0},         {"middle", 4, 0, -0.5, -0.5},
      {"top left", 0, 3, 0, -1}, {"middle left", 0, 2, 0, -0.5}, {"top right", 2, 3, -1, -1},
  };
  for (int i = 0; i < 6; ++i) {
    auto t = text(L"HHHH", {}, 10);
    t->alignment = slot(1 + i);
    t->horizontalMode = alignments[i].horizontal;
    t->verticalMode = alignments[i].vertical;
    add(std::move(t));
  }
  auto turned = text(L"HH", slot(7), 10);
  turned->rotation = std::numbers::pi / 2;  // reads upwards, its capitals to the left of the point
  add(std::move(turned));
  auto narrow = text(L"HHHH", slot(8), 10);
  narrow->widthFactor = 0.5;
  add(std::move(narrow));
  // Slots 9 and 10: fit and aligned between two points 70 mm apart, starting 30 mm left of the anchor.
  for (int mode : {5, 3}) {
    const int i = mode == 5 ? 9 : 10;
    const cad::Point3d a = slot(i);
    auto t = text(L"HHHH", {a.x - 30, a.y, 0}, 10);
    t->alignment = {a.x + 40, a.y, 0};
    t->horizontalMode = mode;
    add(std::move(t));
  }
  plotSlots();

  const Raster::Box plain = ink(0);
  const cad::Point3d a0 = slot(0);
  EXPECT_NEAR(plain.y0, a0.y, kTolerance);
  EXPECT_NEAR(plain.y1, a0.y + 10, kTolerance);
  // The capital's side bearing stands between the point and its ink.
  const double bearing = plain.x0 - a0.x;
  EXPECT_GT(bearing, 0);
  EXPECT_LT(bearing, 1.6);
  const double width = plain.x1 - plain.x0, advance = width + 2 * bearing;  // H is symmetric
  EXPECT_GT(width, 20);

  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(alignments[i].name);
    const Raster::Box box = ink(1 + i);
    const cad::Point3d a = slot(1 + i);
    EXPECT_NEAR(box.x0, a.x + alignments[i].advances * advance + bearing, kTolerance);
    EXPECT_NEAR(box.y0, a.y + alignments[i].heights * 10, kTolerance);
    EXPECT_NEAR(box.x1 - box.x0, width, kTolerance);
  }

  const Raster::Box up = ink(7);
  EXPECT_NEAR(up.x0, slot(7).x - 10, kTolerance);
  EXPECT_NEAR(up.x1, slot(7).x, kTolerance);
  EXPECT_NEAR(up.y1 - up.y0, advance / 2 - 2 * bearing, kTolerance);

  const Raster::Box half = ink(8);
  EXPECT_NEAR(half.x1 - half.x0, width / 2, kTolerance);
  EXPECT_NEAR(half.y1 - half.y0, 10, kTolerance);

  // The advance runs between the two points, the ink a side bearing inside them. Fit keeps the height;
  // aligned keeps the glyphs' proportions.
  for (int i : {9, 10}) {
    SCOPED_TRACE(i);
    const Raster::Box box = ink(i);
    const cad::Point3d a = slot(i);
    EXPECT_GT(box.x0, a.x - 30);
    EXPECT_LT(box.x1, a.x + 40);
    EXPECT_GT(box.x1 - box.x0, 70 - 6);
    if (i == 9) {
      EXPECT_NEAR(box.y1 - box.y0, 10, kTolerance);
    } else {
      EXPECT_NEAR((box.y1 - box.y0) / (box.x1 - box.x0), 10 / width, 0.03 * 10 / width);
    }
  }
}

TEST_F(Texts, MultilineTextsHangFromTheirAttachmentPointAndWrap) {
  add(mtext(L"HHHH\\PHH", slot(0), 1));  // top left: the first line's capitals hang from the point
  add(mtext(L"HHHH\\PHH", slot(1), 5));  // middle centre
  auto wrapped = mtext(L"HHH HHH HHH", slot(2), 1);
  wrapped->width = 20;  // three short words in a narrow box take three lines
  add(std::move(wrapped));
  plotSlots();

  const Raster::Box top = ink(0);
  EXPECT_NEAR(top.y1, slot(0).y, kTolerance);
  EXPECT_GT(top.x0, slot(0).x);
  EXPECT_LT(top.x0, slot(0).x + 1);
  // Two lines five thirds of the height apart: from the second baseline to the first capitals' top.
  EXPECT_NEAR(top.y1 - top.y0, 5 + 5 * 5.0 / 3, kTolerance);

  const Raster::Box middle = ink(1);
  EXPECT_NEAR((middle.x0 + middle.x1) / 2, slot(1).x, 0.6);
  EXPECT_NEAR((middle.y0 + middle.y1) / 2, slot(1).y, kTolerance);

  const Raster::Box lines = ink(2);
  EXPECT_NEAR(lines.y1 - lines.y0, 5 + 2 * 5 * 5.0 / 3, kTolerance);
  EXPECT_LT(lines.x1 - lines.x0, 20);
}

// Words joined by non-breaking spaces are one word to the wrap: a note narrower than them keeps the author's two
// lines, the first running past the width, where the same words with breaking spaces take a line each.
TEST_F(Texts, NonBreakingSpacesDoNotBreakLines) {
  auto joined = mtext(L"HHH\\~HHH\\~HHH\\PHH", slot(3), 1);
  joined->width = 20;
  add(std::move(joined));
  auto plain = mtext(L"HHH HHH HHH", slot(4), 1);
  plain->width = 20;
  add(std::move(plain));
  plotSlots();

  const Raster::Box two = ink(3);
  EXPECT_NEAR(two.y1 - two.y0, 5 + 5 * 5.0 / 3, kTolerance);
  EXPECT_GT(two.x1 - two.x0, 30);
  const Raster::Box three = ink(4);
  EXPECT_NEAR(three.y1 - three.y0, 5 + 2 * 5 * 5.0 / 3, kTolerance);
  EXPECT_LT(three.x1 - three.x0, 20);
}

}  // namespace
