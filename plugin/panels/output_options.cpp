// The output options of the full panel: merged or per sheet, plot style, name template, overwrite and the
// output location, each saved as the user changes it, and the output path they resolve to.

#include "foundation/folders.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/transforms.h"
#include "foundation/user_defaults.h"
#include "core/host_bridge.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/output_path.h"
#include "toolkit/button.h"
#include "toolkit/file_panels.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/modern_button.h"
#include "ui/path_field.h"

namespace {

bool isPdfName(const std::string& path) { return foundation::lowercased(foundation::pathExtension(path)) == "pdf"; }

std::string locationFolder(long location, const std::string& drawingPath) {
  switch (location) {
    case 0:
    case 1: {
      // A drawing never saved has a bare name: it has no folder to write beside.
      if (!foundation::isAbsolutePath(drawingPath)) return {};
      const std::string folder = foundation::deletingLastPathComponent(drawingPath);
      return location == 1 ? foundation::appendingPathComponent(folder, "PDF") : folder;
    }
    case 3:
      return foundation::documentsDirectory();
    case 4:
      return foundation::downloadsDirectory();
    default:
      return foundation::desktopDirectory();
  }
}

}  // namespace

std::string resolvedOutputPath(long location, bool merged, const std::string& drawingPath, const std::string& shown) {
  if (location != kOutputLocationCustom) {
    const std::string folder = locationFolder(location, drawingPath);
    if (folder.empty()) return {};
    if (!merged) return folder;
    std::string base = foundation::deletingPathExtension(foundation::lastPathComponent(drawingPath));
    if (base.empty()) base = "Quodline";
    return foundation::appendingPathComponent(folder, base + ".pdf");
  }
  std::string path = shown;
  if (path.empty()) {
    std::string folder = foundation::documentsDirectory();
    if (folder.empty()) folder = foundation::temporaryDirectory();
    path = merged ? foundation::appendingPathComponent(folder, kDefaultMergedPdfName) : folder;
  }
  if (!merged && isPdfName(path)) return foundation::deletingLastPathComponent(path);
  if (merged && !isPdfName(path)) return foundation::appendingPathComponent(path, kDefaultMergedPdfName);
  return path;
}

void VexBatchPrintPanelController::refreshResolvedOutputPath() {
  if (!outputLocationMode_ || !outputPath_) return;
  const long location = outputLocationMode_->indexOfSelectedItem();
  browseOutputButton_->setEnabled(location == kOutputLocationCustom);
  outputPath_->setStringValue(resolvedOutputPath(location, outputMode_->selectedSegment() == 0,
                                                 vexBatchNSString(vexBatchCurrentDrawingPath()),
                                                 outputPath_->stringValue()));
}

void VexBatchPrintPanelController::outputModeChanged() {
  const long segment = outputMode_->selectedSegment();
  foundation::UserDefaults::standard().setInteger(segment, "Quodline.OutputMode");
  nameTemplate_->setEnabled(segment == 1);
  refreshResolvedOutputPath();
}

void VexBatchPrintPanelController::outputLocationChanged() {
  foundation::UserDefaults::standard().setInteger(outputLocationMode_->indexOfSelectedItem(),
                                                  "Quodline.OutputLocationMode");
  refreshResolvedOutputPath();
}

void VexBatchPrintPanelController::plotStyleChanged() {
  const toolkit::MenuItem* item = plotStyleMode_->selectedItem();
  const std::string style = item != nullptr ? item->representedObject().value_or("") : std::string();
  foundation::UserDefaults::standard().setString(style, "Quodline.PlotStyle");
}

void VexBatchPrintPanelController::nameTemplateChanged() {
  foundation::UserDefaults::standard().setString(nameTemplate_->stringValue(), "Quodline.NameTemplate");
}

void VexBatchPrintPanelController::overwriteChanged() {
  foundation::UserDefaults::standard().setBool(overwriteButton_->state() == toolkit::control_state::on,
                                               "Quodline.Overwrite");
}

void VexBatchPrintPanelController::browseOutput() {
  const long location = outputLocationMode_->indexOfSelectedItem();
  if (location != kOutputLocationCustom) return;
  const std::string shown = outputPath_->stringValue();
  if (outputMode_->selectedSegment() != 0) {
    toolkit::OpenPanel dialog;
    dialog.setCanChooseDirectories(true);
    dialog.setCanChooseFiles(false);
    dialog.setCanCreateDirectories(true);
    dialog.setAllowsMultipleSelection(false);
    if (dialog.runModal() == toolkit::kModalResponseOK && !dialog.URL().empty()) {
      outputPath_->setStringValue(dialog.URL());
    }
  } else {
    toolkit::SavePanel dialog;
    dialog.setAllowedFileTypes({"pdf"});
    const std::string name = foundation::lastPathComponent(shown);
    dialog.setNameFieldStringValue(name.empty() ? kDefaultMergedPdfName : name);
    if (dialog.runModal() == toolkit::kModalResponseOK && !dialog.URL().empty()) {
      outputPath_->setStringValue(dialog.URL());
    }
  }
  // The location goes with the path, so that the next start reads the path in the location it belongs to.
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  defaults.setString(outputPath_->stringValue(), "Quodline.OutputPath");
  defaults.setInteger(location, "Quodline.OutputLocationMode");
}
