#include "panels/lite_plot_style.h"

#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "cad/environment.h"
#include "cad/database.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/result_buffer.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/uuid.h"
#include "plot/plot_style_queries.h"
#include "ui/localisation.h"

namespace {

std::optional<std::string>& resourceOverride() {
  static std::optional<std::string> path;
  return path;
}

bool fail(QDLLitePlotStyleError* error, std::string domain, int code, std::string description) {
  if (error != nullptr) *error = {std::move(domain), code, std::move(description)};
  return false;
}

bool failWith(QDLLitePlotStyleError* error, const foundation::FileResult& result) {
  return fail(error, "POSIX", result.code, result.error);
}

std::optional<std::wstring> environmentValue(const wchar_t* name) {
  std::wstring value;
  if (cad::acedGetEnv(name, value) != cad::RTNORM) return std::nullopt;
  return value;
}

// Every non-empty part of PrinterStyleSheetDir, as it stands; parts that are not absolute paths are skipped,
// as they would put the style wherever the host happens to run. Only without any: the roaming folder's.
std::vector<std::string> targetFolders() {
  std::vector<std::string> folders;
  if (const std::optional<std::wstring> list = environmentValue(L"PrinterStyleSheetDir")) {
    const std::string text = foundation::utf8FromWideLossy(*list);
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t end = std::min(text.find(';', start), text.size());
      const std::string part = text.substr(start, end - start);
      if (!part.empty() && part.front() == '/') folders.push_back(part);
      start = end + 1;
    }
  }
  if (folders.empty()) {
    const std::optional<std::wstring> roaming = environmentValue(L"ROAMABLEROOTPREFIX");
    if (roaming && !roaming->empty()) {
      folders.push_back(
          foundation::appendingPathComponent(foundation::utf8FromWideLossy(*roaming), "Plotters/Plot Styles"));
    }
  }
  return folders;
}

// The host reads its plot-style folders again, so that a file just copied is listed.
void refreshHostLists() {
  cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  cad::PlotSettingsValidator* validator = services != nullptr ? services->plotSettingsValidator() : nullptr;
  if (validator == nullptr) return;
  cad::PlotSettings settings;
  static_cast<void>(validator->refreshLists(&settings));
}

bool hostListsStyle() {
  for (const std::string& name : vexBatchAvailablePlotStyles(false)) {
    if (name == QDLLitePlotStyleName) return true;
  }
  return false;
}

}  // namespace

std::string QDLLitePlotStyleResourcePath() {
  if (resourceOverride()) return *resourceOverride();
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&QDLLitePlotStyleResourcePath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  const std::string contents = foundation::deletingLastPathComponent(
      foundation::deletingLastPathComponent(info.dli_fname));
  const std::string path =
      foundation::appendingPathComponent(foundation::appendingPathComponent(contents, "Resources"), QDLLitePlotStyleName);
  return foundation::isRegularFile(path) ? path : std::string();
}

void QDLSetLitePlotStyleResourceForTesting(std::optional<std::string> path) { resourceOverride() = std::move(path); }

bool QDLInstallLitePlotStyle(const std::string& sourcePath, const std::string& folder, QDLLitePlotStyleError* error) {
  if (sourcePath.empty()) return fail(error, "POSIX", ENOENT, "The plot style has no source file.");
  const foundation::ReadResult source = foundation::readFile(sourcePath);
  if (!source) return failWith(error, source);
  if (source.data.empty()) return fail(error, "POSIX", ENODATA, "The plot style's source file is empty.");
  if (folder.empty()) return fail(error, "POSIX", ENOENT, "No plot-style folder.");
  if (const foundation::FileResult made = foundation::createDirectory(folder, true); !made) return failWith(error, made);

  const std::string target = foundation::appendingPathComponent(folder, QDLLitePlotStyleName);
  if (foundation::itemExists(target)) {
    const foundation::ReadResult existing = foundation::readFile(target);
    if (existing && existing.data == source.data) return true;
    return fail(error, "NUVOLK.LitePlotStyle", 1, "A different file already uses the Lite plot style name.");
  }
  const std::string work = foundation::appendingPathComponent(folder, ".nuvolk-style-" + foundation::makeUuid());
  if (const foundation::FileResult written = foundation::writeFileAtomically(work, source.data); !written) {
    return failWith(error, written);
  }
  // The move never replaces: a file that appeared under the name meanwhile stays, and the work file goes.
  if (const foundation::FileResult moved = foundation::moveItem(work, target); !moved) {
    static_cast<void>(foundation::removeItem(work));
    return failWith(error, moved);
  }
  return true;
}

VexBatchLiteStyleProblem vexBatchLiteInstallPlotStyle() {
  if (vexBatchUsesNamedPlotStyles()) return VexBatchLiteStyleProblem::namedPlotStyles;
  const std::string source = QDLLitePlotStyleResourcePath();
  for (const std::string& folder : targetFolders()) {
    if (!QDLInstallLitePlotStyle(source, folder)) continue;
    refreshHostLists();
    if (hostListsStyle()) return VexBatchLiteStyleProblem::none;
  }
  return VexBatchLiteStyleProblem::cannotInstall;
}

std::string vexBatchLiteStyleProblemText(VexBatchLiteStyleProblem problem, bool english) {
  switch (problem) {
    case VexBatchLiteStyleProblem::none:
      return {};
    case VexBatchLiteStyleProblem::namedPlotStyles: {
      constexpr char kEnglish[] = "This drawing uses STB styles. Lite monochrome 0.05 mm output requires a CTB drawing.";
      return english ? kEnglish
                     : QDLL("此图纸使用 STB 样式，暂不能保证黑白 0.05 mm 输出。请使用 CTB 图纸。", kEnglish,
                            "此圖紙使用 STB 樣式，暫不能保證黑白 0.05 mm 輸出。請使用 CTB 圖紙。");
    }
    case VexBatchLiteStyleProblem::cannotInstall: {
      constexpr char kEnglish[] =
          "Cannot install the monochrome 0.05 mm style. Check plot-style folder permissions or reinstall the plugin.";
      return english ? kEnglish
                     : QDLL("无法安装黑白 0.05 mm 打印样式，请检查打印样式目录权限或重新安装插件。", kEnglish,
                            "無法安裝黑白 0.05 mm 列印樣式，請檢查列印樣式目錄權限或重新安裝插件。");
    }
  }
  return {};
}

std::optional<std::string> vexBatchLitePreparePlotStyle() {
  const VexBatchLiteStyleProblem problem = vexBatchLiteInstallPlotStyle();
  if (problem == VexBatchLiteStyleProblem::none) return std::nullopt;
  return vexBatchLiteStyleProblemText(problem);
}
