#include "plot/output_placement.h"

#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "plot/last_result.h"
#include "plot/output_commit.h"
#include "toolkit/alert.h"
#include "toolkit/event.h"

namespace {

// Cancel is the default answer, so that Return never destroys a file.
bool userAgreesToReplace(const std::string& path) {
  toolkit::Alert alert;
  alert.setAlertStyle(toolkit::AlertStyle::warning);
  alert.setMessageText(foundation::format(chosenText("覆盖“%@”？", "Replace “%@”?", "覆蓋「%@」？"),
                                          foundation::lastPathComponent(path)));
  alert.setInformativeText(
      foundation::format(chosenText("此位置已有同名文件。继续将覆盖该文件，取消将停止本次输出。\n\n%@",
                                    "A file already exists at this location. Replace it to continue, or cancel to "
                                    "stop this export.\n\n%@",
                                    "此位置已有同名檔案。繼續將覆蓋該檔案，取消將停止本次輸出。\n\n%@"),
                         path));
  alert.addButtonWithTitle(chosenText("取消", "Cancel", "取消"))->setKeyEquivalent(toolkit::key::carriageReturn);
  const auto replace = alert.addButtonWithTitle(chosenText("覆盖文件", "Replace file", "覆蓋檔案"));
  replace->setKeyEquivalent("");
  replace->setHasDestructiveAction(true);
  return alert.runModal() == toolkit::kAlertSecondButtonReturn;
}

}  // namespace

std::optional<std::string> QDLAbsoluteOutputPath(const std::string& path, std::string* refusal) {
  if (refusal) refusal->clear();
  const std::string standard = foundation::standardizingPath(path);
  if (foundation::isAbsolutePath(standard)) return standard;
  if (refusal) {
    *refusal = foundation::format(chosenText("输出路径是相对路径，请选择完整路径：%@",
                                             "The output path is a relative path; choose a full path: %@",
                                             "輸出路徑是相對路徑，請選擇完整路徑：%@"),
                                  path);
  }
  return std::nullopt;
}

std::optional<std::wstring> vexBatchAbsoluteOutputPath(std::wstring const& path) {
  std::string refusal;
  if (const std::optional<std::string> absolute = QDLAbsoluteOutputPath(vexBatchNSString(path), &refusal)) {
    return vexBatchWideString(*absolute);
  }
  gBatchPrintLastError = vexBatchWideString(refusal);
  return std::nullopt;
}

bool QDLConfirmOutputReplacement(const std::string& path, bool overwrite, bool* cancelled, std::string* error) {
  if (cancelled) *cancelled = false;
  if (error) error->clear();
  vexBatchAgreeToReplace({});  // only this answer counts for this output
  if (!foundation::itemExists(path)) return true;
  if (overwrite && !foundation::isDirectory(path)) {
    if (userAgreesToReplace(path)) {
      vexBatchAgreeToReplace(path);
      return true;
    }
    if (cancelled) *cancelled = true;
    if (error) {
      *error = chosenText("已取消覆盖，原文件未改变。", "Replacement cancelled; the original file is unchanged.",
                          "已取消覆蓋，原檔案未改變。");
    }
    return false;
  }
  if (error) {
    *error = chosenText("输出路径已被占用，未覆盖现有文件。", "The output path is occupied. Nothing was replaced.",
                        "輸出路徑已被佔用，未覆蓋現有檔案。");
  }
  return false;
}

bool vexBatchConfirmOutputReplacement(std::wstring const& path, bool overwrite) {
  bool cancelled = false;
  std::string error;
  if (QDLConfirmOutputReplacement(vexBatchNSString(path), overwrite, &cancelled, &error)) return true;
  gBatchPrintLastCancelled = cancelled;
  gBatchPrintLastError = error.empty() ? std::wstring(L"Output conflict") : vexBatchWideString(error);
  return false;
}

bool vexBatchEnsureOutputDirectory(std::wstring const& path, bool pathIsDirectory) {
  if (path.empty()) return false;
  const std::optional<std::wstring> absolute = vexBatchAbsoluteOutputPath(path);
  if (!absolute) return false;
  const std::string system = vexBatchNSString(*absolute);
  const std::string folder = pathIsDirectory ? system : foundation::deletingLastPathComponent(system);
  if (folder.empty()) return false;
  const foundation::FileResult created = foundation::createDirectory(folder, true);
  if (created) return true;
  gBatchPrintLastError = vexBatchWideString(created.error);
  return false;
}
