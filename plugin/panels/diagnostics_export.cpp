// The recognition diagnostics file: what the panel knows of the last scans, its rows with their evidence and
// boxes, saved as JSON where the user chooses, to pass on when recognition finds the wrong sheets. It reads
// the rows and the counters only; the drawing is neither rescanned nor touched.

#include "core/host_bridge.h"
#include "foundation/format.h"
#include "foundation/iso8601.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "panels/batch_print_panel_controller.h"
#include "recognition/diagnostics_dictionary.h"
#include "toolkit/file_panels.h"
#include "toolkit/segmented_control.h"
#include "toolkit/workspace.h"
#include "ui/localisation.h"

namespace {

foundation::Json candidateOf(const VexBatchPrintRow& row) {
  return {
      {"name", row.layoutName},
      {"sourceName", row.sourceName},
      {"source", row.source != VexBatchPrintSourceLayout ? "model-frame" : "layout"},
      {"paper", row.paperName},
      {"selected", row.selected},
      {"manuallyAdded", row.manuallyAdded},
      {"exactPaperFrame", row.exactPaperFrame},
      {"sourceEvidence",
       {{"enclosedViewportCount", row.enclosedViewportCount},
        {"activeViewportCount", row.activeViewportCount},
        {"hasNumberedViewport", row.enclosedViewportCount >= 1}}},
      {"bounds", {{"minX", row.minX}, {"minY", row.minY}, {"maxX", row.maxX}, {"maxY", row.maxY}}},
  };
}

}  // namespace

void VexBatchPrintPanelController::exportDiagnostics() {
  toolkit::SavePanel dialog;
  dialog.setAllowedFileTypes({"json"});
  dialog.setCanCreateDirectories(true);
  dialog.setNameFieldStringValue("Ferrolin批打工具-识别诊断.json");
  if (dialog.runModal() != toolkit::kModalResponseOK || dialog.URL().empty()) return;
  const std::string path = dialog.URL();

  foundation::Json candidates = foundation::Json::array();
  std::int64_t selected = 0;
  for (const auto& row : allRows_) {
    if (row->selected) ++selected;
    candidates.push_back(candidateOf(*row));
  }
  const foundation::Json root = {
      {"schemaVersion", 1},
      {"generator", "Quodline recognition diagnostics 1.0.0-beta.9"},
      {"timestamp", foundation::iso8601Now()},
      {"drawingName", foundation::lastPathComponent(drawingKey_)},
      {"sourceMode", sourceMode_->selectedSegment() != 0 ? "model-frame" : "layout"},
      {"inventory",
       {{"candidateCount", allRows_.size()},
        {"selectedCount", selected},
        {"visibleCount", rows_.size()},
        {"manualCount", manualRows_.size()},
        {"temporarilyRemovedCount", removedRows_.size()}}},
      {"recognitionDiagnostics", vexBatchRecognitionDiagnosticsDictionary()},
      {"candidates", std::move(candidates)},
      {"dwgModifiedOrSaved", false},
  };
  // Written whole in one step: a file already there is replaced only by a complete one.
  const foundation::FileResult written = foundation::writeJsonFile(path, root);
  if (!written) {
    return refuse(foundation::format(QDLT("诊断导出失败：%@"), written.error.empty() ? QDLT("未知错误") : written.error));
  }
  showStatus(foundation::format(QDLT("识别诊断已导出：%@；DWG 未修改、未保存。"), foundation::lastPathComponent(path)));
  toolkit::Workspace::shared().activateFileViewerSelectingURLs({path});
}
