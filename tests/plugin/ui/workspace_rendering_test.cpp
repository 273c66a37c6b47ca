// The workspace window as a person sees it, drawn with the real fonts: compared with the reference pictures in
// data/ (one per language, at the default size), and every text of every page fitting its place.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).
// A picture that differs is written to the build folder's ui-renderings/ for a look.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "graphics/text_measurer.h"
#include "label_fit.h"
#include "reference_picture.h"
#include "toolkit/button.h"
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
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    WorkspaceWindow w = makeWorkspaceWindow();
    ASSERT_EQ(w.panel->frame().size, kDefaultSize);
    const std::filesystem::path reference = std::filesystem::path(UI_TEST_DATA_DIR) / language.file;
    EXPECT_EQ(compareWithReference(*w.panel, reference, UI_TEST_OUTPUT_DIR), "");
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
