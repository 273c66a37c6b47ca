// The recognition diagnostics file: valid JSON with the last scans' counters and every row of the list, read
// back here as JSON; a write that fails says why and leaves what was at the place.

#include <functional>

#include "foundation/iso8601.h"
#include "foundation/json.h"
#include "full_panel_output_fixture.h"
#include "toolkit/beep.h"
#include "toolkit/file_panels.h"
#include "toolkit/user_actions.h"

namespace panels_test {
namespace {

class FullPanelDiagnosticsTest : public FullPanelOutputTest {
 protected:
  static void saveAs(const std::string& path) {
    toolkit::ModalResponder::shared().answerNextFilePanel({true, {path}});
    panel().exportDiagnostics();
  }

  static foundation::Json read(const std::string& path) {
    const foundation::JsonResult parsed = foundation::readJsonFile(path);
    EXPECT_TRUE(parsed) << parsed.error;
    return parsed.value;
  }
};

TEST_F(FullPanelDiagnosticsTest, TheFileHoldsTheCountersAndEveryRowOfTheList) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  choose(*p.layoutScope(), 1);
  ASSERT_EQ(p.allRows().size(), 3u);
  p.allRows()[1]->selected = false;
  addManualFrameToFullPanel(VexBatchPrintSourceLayout, "A4 Portrait", 10, 20, 5, 2);
  highlight({0});
  p.removeSelected();
  type(*p.filterField(), "A3");

  const std::string file = out() + "/diagnostics.json";
  saveAs(file);
  const toolkit::FilePanelRecord& dialog = toolkit::ModalResponder::shared().filePanels().back();
  EXPECT_EQ(dialog.allowedFileTypes, std::vector<std::string>{"json"});
  EXPECT_EQ(dialog.nameFieldStringValue, "Ferrolin批打工具-识别诊断.json");
  EXPECT_EQ(p.statusLabel()->stringValue(), "识别诊断已导出：diagnostics.json；DWG 未修改、未保存。");

  const foundation::Json root = read(file);
  EXPECT_EQ(root.at("schemaVersion"), 1);
  EXPECT_EQ(root.at("generator"), "Quodline recognition diagnostics 1.0.0-beta.9");
  EXPECT_TRUE(foundation::parseIso8601(root.at("timestamp").get<std::string>()).has_value());
  EXPECT_EQ(root.at("drawingName"), "layouts-frames.dxf");
  EXPECT_EQ(root.at("sourceMode"), "layout");
  EXPECT_EQ(root.at("dwgModifiedOrSaved"), false);
  const foundation::Json& inventory = root.at("inventory");
  EXPECT_EQ(inventory.at("candidateCount"), p.allRows().size());
  EXPECT_EQ(inventory.at("selectedCount"), p.allRows().size() - 1);
  EXPECT_EQ(inventory.at("visibleCount"), p.rows().size());
  EXPECT_EQ(inventory.at("manualCount"), 1);
  EXPECT_EQ(inventory.at("temporarilyRemovedCount"), 1);
  EXPECT_EQ(root.at("recognitionDiagnostics").at("layout").at("finalCount"), 3);
  EXPECT_TRUE(root.at("recognitionDiagnostics").at("options").at("includeNonPlottableLayers").is_boolean());

  // Rows the filter hides are listed; the row removed for now is not.
  const foundation::Json& candidates = root.at("candidates");
  ASSERT_EQ(candidates.size(), p.allRows().size());
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const VexBatchPrintRow& row = *p.allRows()[i];
    const foundation::Json& c = candidates[i];
    EXPECT_EQ(c.at("name"), row.layoutName);
    EXPECT_EQ(c.at("source"), "layout");
    EXPECT_EQ(c.at("selected"), row.selected);
    EXPECT_EQ(c.at("manuallyAdded"), row.manuallyAdded);
    EXPECT_EQ(c.at("paper"), row.paperName);
    EXPECT_EQ(c.at("sourceEvidence").at("hasNumberedViewport"), row.enclosedViewportCount >= 1);
    EXPECT_EQ(c.at("bounds").at("maxX"), row.maxX);
  }
  EXPECT_EQ(candidates.back().at("bounds").at("minX"), 5);
  EXPECT_EQ(candidates.back().at("bounds").at("maxY"), 20);
}

TEST_F(FullPanelDiagnosticsTest, ModelFramesAndAnEmptyListStillGiveEveryKey) {
  open(kModelSample);
  VexBatchPrintPanelController& p = shown();
  saveAs(out() + "/model.json");
  foundation::Json root = read(out() + "/model.json");
  EXPECT_EQ(root.at("sourceMode"), "model-frame");
  EXPECT_EQ(root.at("candidates").at(0).at("source"), "model-frame");
  EXPECT_EQ(root.at("candidates").at(0).at("sourceEvidence").at("hasNumberedViewport"), false);

  while (!cad::docManager().documents().empty()) {
    static_cast<void>(cad::docManager().closeDocument(cad::docManager().documents().front()));
  }
  p.reloadFromActiveDrawing();
  saveAs(out() + "/empty.json");
  root = read(out() + "/empty.json");
  EXPECT_EQ(root.at("drawingName"), "no-drawing");
  EXPECT_TRUE(root.at("candidates").is_array());
  EXPECT_TRUE(root.at("candidates").empty());
  EXPECT_EQ(root.at("inventory").at("candidateCount"), 0);
}

// What the user chose changes after the dialog closed and before the file is written: a folder made at its
// place, or its folder removed.
TEST_F(FullPanelDiagnosticsTest, AFailedWriteSaysWhyAndLeavesWhatWasThere) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  // The person chooses the path in the dialog; then the change happens, before the panel writes.
  const auto chooseThen = [&p](const std::string& path, std::function<void()> change) {
    toolkit::ModalResponder::shared().setInteractiveHandler([path, change = std::move(change)](toolkit::Window&) {
      ASSERT_EQ(toolkit::SavePanel::current()->choose({path}), "");
      change();
    });
    p.exportDiagnostics();
    toolkit::ModalResponder::shared().setInteractiveHandler({});
  };
  const std::string taken = out() + "/taken.json";
  long beeps = toolkit::beepCount();
  chooseThen(taken, [&] {
    ASSERT_TRUE(foundation::createDirectory(taken, false));
    ASSERT_TRUE(foundation::writeFileAtomically(taken + "/inside", "kept"));
  });
  EXPECT_TRUE(p.statusLabel()->stringValue().starts_with("诊断导出失败：")) << p.statusLabel()->stringValue();
  EXPECT_NE(p.statusLabel()->stringValue().find("taken.json"), std::string::npos);
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_EQ(foundation::readFile(taken + "/inside").data, "kept");

  const std::string gone = out() + "/gone";
  ASSERT_TRUE(foundation::createDirectory(gone, false));
  beeps = toolkit::beepCount();
  chooseThen(gone + "/report.json", [&] { ASSERT_TRUE(foundation::removeItem(gone)); });
  EXPECT_TRUE(p.statusLabel()->stringValue().starts_with("诊断导出失败：")) << p.statusLabel()->stringValue();
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_FALSE(foundation::itemExists(gone));

  // A cancelled dialog says nothing.
  const std::string before = p.statusLabel()->stringValue();
  toolkit::ModalResponder::shared().answerNextFilePanel(toolkit::FilePanelAnswer::cancel());
  p.exportDiagnostics();
  EXPECT_EQ(p.statusLabel()->stringValue(), before);
}

}  // namespace
}  // namespace panels_test
