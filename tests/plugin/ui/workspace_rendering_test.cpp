// The workspace window as a person sees it, drawn with the real fonts: compared with the reference pictures in
// data/ (one per language, at the default size), and every text of every page fitting its place.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).
// A picture that differs is written to the build folder's ui-renderings/ for a look.

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "foundation/files.h"
#include "graphics/text_measurer.h"
#include "label_fit.h"
#include "toolkit/button.h"
#include "toolkit/rendering.h"
#include "toolkit/text_field.h"
#include "workspace_fixture.h"

namespace ui_test {
namespace {

struct Language {
  const char* code;
  const char* file;
};
constexpr Language kLanguages[] = {
    {"zh", "workspace-zh-Hans.png"}, {"zh-Hant", "workspace-zh-Hant.png"}, {"en", "workspace-en.png"}};

// A pixel differs when a channel is off by more than this (of 255); a few such pixels are antialiasing.
constexpr int kChannelTolerance = 40;
constexpr double kDifferingShare = 0.0002;

struct Surface {
  cairo_surface_t* s;
  explicit Surface(cairo_surface_t* surface) : s(surface) {}
  ~Surface() { cairo_surface_destroy(s); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  bool ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
};

// How many pixels of two pictures of one size differ beyond the tolerance; -1 when their sizes differ.
long differingPixels(const std::string& expectedPath, const std::string& actualPath) {
  Surface expected(cairo_image_surface_create_from_png(expectedPath.c_str()));
  Surface actual(cairo_image_surface_create_from_png(actualPath.c_str()));
  if (!expected.ok() || !actual.ok()) return -1;
  cairo_surface_flush(expected.s);
  cairo_surface_flush(actual.s);
  const int w = cairo_image_surface_get_width(expected.s), h = cairo_image_surface_get_height(expected.s);
  if (w != cairo_image_surface_get_width(actual.s) || h != cairo_image_surface_get_height(actual.s)) return -1;
  if (cairo_image_surface_get_format(expected.s) != cairo_image_surface_get_format(actual.s)) return -1;
  const unsigned char* a = cairo_image_surface_get_data(expected.s);
  const unsigned char* b = cairo_image_surface_get_data(actual.s);
  const int strideA = cairo_image_surface_get_stride(expected.s), strideB = cairo_image_surface_get_stride(actual.s);
  long differing = 0;
  for (int y = 0; y < h; ++y) {
    const auto* rowA = reinterpret_cast<const std::uint32_t*>(a + static_cast<std::ptrdiff_t>(y) * strideA);
    const auto* rowB = reinterpret_cast<const std::uint32_t*>(b + static_cast<std::ptrdiff_t>(y) * strideB);
    for (int x = 0; x < w; ++x) {
      for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((rowA[x] >> shift) & 0xff), cb = static_cast<int>((rowB[x] >> shift) & 0xff);
        if (std::abs(ca - cb) > kChannelTolerance) {
          ++differing;
          break;
        }
      }
    }
  }
  return differing;
}

class WorkspaceRenderingTest : public WorkspaceTest {
 protected:
  void SetUp() override {
    WorkspaceTest::SetUp();
    // What people see: the real fonts, for drawing and for measuring alike.
    graphics::setTextMeasurer(nullptr);
  }

  // The panel's lines that change with the drawing and are made to give way at their tail (or, for the path, in the
  // middle), their tooltip holding them whole.
  static std::set<const toolkit::View*> statusLines(const WorkspaceWindow& w) {
    std::set<const toolkit::View*> views;
    for (const char* key : {"recognitionStatus", "summary", "status", "diagnosticsStatus", "path"}) {
      views.insert(w.control(key).get());
    }
    return views;
  }
};

TEST_F(WorkspaceRenderingTest, TheWindowLooksAsItsReferencePictureInEachLanguage) {
  const bool update = std::getenv("QUODL_UPDATE_UI_RENDERINGS") != nullptr;
  const std::filesystem::path data = UI_TEST_DATA_DIR;
  const std::filesystem::path output = UI_TEST_OUTPUT_DIR;
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    WorkspaceWindow w = makeWorkspaceWindow();
    ASSERT_EQ(w.panel->frame().size, kDefaultSize);
    const std::filesystem::path reference = data / language.file;
    if (update) {
      ASSERT_EQ(toolkit::renderWindowToPNG(*w.panel, reference.string()), "");
      continue;
    }
    std::filesystem::create_directories(output);
    const std::filesystem::path actual = output / language.file;
    ASSERT_EQ(toolkit::renderWindowToPNG(*w.panel, actual.string()), "");
    ASSERT_TRUE(std::filesystem::exists(reference)) << reference << " is missing: run scripts/update-ui-renderings";
    const long differing = differingPixels(reference.string(), actual.string());
    ASSERT_GE(differing, 0) << "the pictures differ in size or cannot be read: " << actual;
    EXPECT_LE(differing, static_cast<long>(kDefaultSize.width * kDefaultSize.height * kDifferingShare))
        << "the window no longer looks as " << reference << "; see " << actual;
  }
}

TEST_F(WorkspaceRenderingTest, EveryTextFitsItsPlaceOnEveryPageInEachLanguage) {
  for (const Language& language : kLanguages) {
    useLanguage(language.code);
    WorkspaceWindow w = makeWorkspaceWindow();
    for (toolkit::Size size : {kDefaultSize, toolkit::Size{1280, 800}}) {
      w.resize(size);
      for (long page : {0L, 2L, 3L}) {
        w.workspace->showPage(page);
        SCOPED_TRACE(std::string(language.code) + ", page " + std::to_string(page) + ", " +
                     std::to_string(static_cast<int>(size.width)) + " wide");
        const auto misfits = textMisfits(*w.panel, statusLines(w));
        EXPECT_TRUE(misfits.empty()) << describe(misfits);
      }
    }
    // The further output options, shown.
    w.resize(kDefaultSize);
    w.workspace->showPage(0);
    w.workspace->toggleAdvanced(*w.workspace->advancedToggle());
    const auto misfits = textMisfits(*w.panel, statusLines(w));
    EXPECT_TRUE(misfits.empty()) << language.code << describe(misfits);
  }
}

TEST_F(WorkspaceRenderingTest, TheFitCheckSeesATruncatedAndAClippedLabel) {
  useLanguage("en");
  WorkspaceWindow w = makeWorkspaceWindow();
  // Too narrow for its text, and too short for its font.
  auto summary = w.control<toolkit::TextField>("summary");
  summary->setStringValue(std::string(200, 'x'));
  auto heading = w.control<toolkit::TextField>("heading");
  heading->setFont(graphics::Font::boldSystem(30));
  w.panel->layoutIfNeeded();
  const auto misfits = textMisfits(*w.panel, {});
  std::set<std::string> texts;
  for (const Misfit& m : misfits) texts.insert(m.text);
  EXPECT_TRUE(texts.contains(summary->stringValue())) << describe(misfits);
  EXPECT_TRUE(texts.contains(heading->stringValue())) << describe(misfits);
}

}  // namespace
}  // namespace ui_test
