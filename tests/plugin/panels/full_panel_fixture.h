#pragma once
// The full panel in this process: the sample drawings opened in the stand-in host, plot-style tables in a
// private folder, and helpers that act on the panel as a person would (typing, choosing, highlighting rows).

#include <memory>
#include <string>
#include <vector>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/environment.h"
#include "cad/plot/plot_style_table.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "panels/batch_print_panel_controller.h"
#include "panels_fixture.h"
#include "recognition/recognition_state.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/modern_button.h"
#include "ui/path_field.h"

namespace panels_test {

inline const std::string kLayoutsSample = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
inline const std::string kModelSample = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";

class FullPanelTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    vexBatchResetRecognitionStateForTesting();
    styles_ = folder_ / "Plot Styles";
    ASSERT_TRUE(foundation::createDirectory(styles_, true));
    ASSERT_EQ(cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(styles_).c_str()), cad::RTNORM);
    for (const char* name : {"acad.ctb", "monochrome.ctb", "monochrome.stb", "acad.stb"}) addStyleTable(name);
  }

  void TearDown() override {
    vexBatchFullPanelShutdown();
    vexBatchResetRecognitionStateForTesting();
    PanelsTest::TearDown();
  }

  void addStyleTable(const std::string& name) const {
    const bool named = name.ends_with(".stb");
    const cad::PlotStyleTable table =
        named ? cad::PlotStyleTable::named(L"test") : cad::PlotStyleTable::colorDependent(L"test");
    ASSERT_TRUE(cad::writePlotStyleTable(table, styles_ + "/" + name));
  }

  static cad::Document* open(const std::string& path, const std::wstring& name = {}) {
    cad::DxfReadResult read = cad::readDxfFile(path);
    if (read.database == nullptr) throw std::runtime_error(path + ": " + read.error);
    const std::wstring file = name.empty() ? foundation::wideFromUtf8Lossy(path) : name;
    read.database->filename = file;
    return cad::docManager().addDocument(std::move(read.database), file);
  }

  static VexBatchPrintPanelController& panel() { return ensureBatchPrintPanel(); }

  // The panel shown as DUZOZARED shows it.
  static VexBatchPrintPanelController& shown() {
    vexBatchFullPanelShow(true);
    return panel();
  }

  static std::vector<std::string> names(const VexBatchPrintRows& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows) out.push_back(row->layoutName);
    return out;
  }
  static std::vector<std::string> papers(const VexBatchPrintRows& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows) out.push_back(row->paperName);
    return out;
  }

  static void choose(toolkit::SegmentedControl& control, long segment) {
    ASSERT_TRUE(control.userSelectSegment(segment));
  }
  static void type(toolkit::TextField& field, const std::string& text) {
    field.userType(text);
    if (field.isEditing()) field.userCommit();
  }
  static void highlight(std::set<long> rows) { panel().table()->selectRowIndexes(rows, false); }

  std::string styles_;
};

}  // namespace panels_test
