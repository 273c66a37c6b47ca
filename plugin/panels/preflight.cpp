// The preflight of the full panel: before a job is staged, whether it can succeed. Each finding is required
// (the job must not start), a warning or information; the result goes to the status line and, when asked, to
// an alert.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/transforms.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/preflight_file_system.h"
#include "plot/output_placement.h"
#include "plot/plot_style_queries.h"
#include "plot/preflight_queries.h"
#include "toolkit/alert.h"
#include "toolkit/beep.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "ui/localisation.h"
#include "ui/path_field.h"

namespace {

constexpr std::uint64_t kBaseFreeBytes = 104857600;    // 100 MiB
constexpr std::uint64_t kFreeBytesPerSheet = 10485760;  // 10 MiB

std::function<bool(const std::string&)>& writableTest() {
  static std::function<bool(const std::string&)> test;
  return test;
}

struct Findings {
  std::vector<std::string> required;
  std::vector<std::string> warnings;
  std::vector<std::string> information;
};

std::string uppercased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : separator) + part;
  return out;
}

void checkPlotStyle(const std::string& style, Findings& f) {
  if (!style.empty()) {
    const std::wstring wide = vexBatchWideString(style);
    if (!vexDuzozAredStyleMatchesCurrentDrawing(wide)) {
      f.required.push_back(foundation::format(QDLT("打印样式 %@ 与当前图纸的 %@ 类型不一致。"), style,
                                              uppercased(vexBatchNSString(vexBatchRequiredPlotStyleSuffix()))));
    } else {
      bool listed = false;
      for (const std::string& available : vexBatchAvailablePlotStyles(false)) {
        listed = listed || foundation::lowercased(available) == foundation::lowercased(style);
      }
      if (!listed) {
        f.required.push_back(foundation::format(QDLT("找不到打印样式 %@。"), style));
      } else if (const std::optional<std::string> problem = vexBatchPlotStyleTableProblem(wide)) {
        // Read as the plot reads it: a damaged table would otherwise fail only once the job runs.
        f.required.push_back(foundation::format(QDLT("打印样式 %@ 无法读取：%@"), style, *problem));
      }
    }
  }
  f.information.push_back(foundation::format(QDLT("打印样式：%@"), style.empty() ? QDLT("按布局设置") : style));
}

// The folder the job writes into, checked at the nearest folder above it that exists.
bool checkOutputFolder(const std::string& shown, bool merged, std::size_t sheets, Findings& f) {
  std::string refusal;
  const std::optional<std::string> absolute = QDLAbsoluteOutputPath(shown, &refusal);
  if (!absolute) {
    f.required.push_back(refusal);
    return false;
  }
  const std::string& path = *absolute;
  const std::string folder = merged ? foundation::deletingLastPathComponent(path) : path;
  if (foundation::fileExists(folder) && !foundation::isDirectory(folder)) {
    f.required.push_back(QDLT("输出位置不是文件夹。"));
  }
  std::string probe = folder;
  while (probe.size() > 1 && !foundation::fileExists(probe)) {
    const std::string parent = foundation::deletingLastPathComponent(probe);
    if (parent == probe) break;
    probe = parent;
  }
  if (probe.empty() || !foundation::fileExists(probe) || !preflightFolderWritable(probe)) {
    f.required.push_back(QDLT("输出目录不可写，请重新选择输出位置。"));
    return false;
  }
  const foundation::SpaceResult space = foundation::volumeSpace(probe);
  if (!space) {
    f.warnings.push_back(QDLT("未能读取输出磁盘剩余空间。"));
    return true;
  }
  const std::uint64_t needed = kBaseFreeBytes + kFreeBytesPerSheet * sheets;
  const double free = static_cast<double>(space.availableBytes);
  if (space.availableBytes < needed) {
    f.warnings.push_back(foundation::format(QDLT("输出磁盘剩余约 %.0f MB，建议先释放空间。"), free / 1024 / 1024));
  } else {
    f.information.push_back(
        foundation::format(QDLT("输出目录：可写，剩余 %.1f GB"), free / 1024 / 1024 / 1024));
  }
  return true;
}

void checkFonts(Findings& f) {
  const std::vector<std::wstring> missing = vexBatchMissingTextStyleFonts();
  for (const std::wstring& entry : missing) {
    const std::string text = vexBatchNSString(entry);
    const std::string message = foundation::format(QDLT("文字样式缺少字体：%@"), text);
    const auto bar = text.rfind("｜");
    const std::string font = bar == std::string::npos ? text : text.substr(bar + std::string("｜").size());
    if (foundation::lowercased(foundation::lastPathComponent(font)) == "allinonebig.shx") {
      f.required.push_back(message + QDLT("；这会导致尺寸数字漏印，请重新运行安装包。"));
    } else {
      f.warnings.push_back(message);
    }
  }
  if (missing.empty()) f.information.push_back(QDLT("图纸字体：已找到全部 SHX/TTF 依赖"));
}

void showAlert(const Findings& f, bool passed) {
  std::vector<std::string> lines;
  if (!f.required.empty()) {
    lines.push_back(QDLT("必须处理："));
    for (const std::string& text : f.required) lines.push_back("• " + text);
  }
  if (!f.warnings.empty()) {
    if (!lines.empty()) lines.emplace_back();
    lines.push_back(QDLT("提示："));
    for (const std::string& text : f.warnings) lines.push_back("• " + text);
  }
  if (!lines.empty()) lines.emplace_back();
  lines.insert(lines.end(), f.information.begin(), f.information.end());
  lines.push_back(QDLT("DWG 不会被修改或保存。"));
  toolkit::Alert alert;
  alert.setMessageText(passed ? QDLT("任务预检完成") : QDLT("任务预检未通过"));
  alert.setInformativeText(joined(lines, "\n"));
  alert.setAlertStyle(passed ? toolkit::AlertStyle::informational : toolkit::AlertStyle::critical);
  alert.addButtonWithTitle(QDLT("确定"));
  static_cast<void>(alert.runModal());
}

}  // namespace

bool preflightFolderWritable(const std::string& path) {
  return writableTest() ? writableTest()(path) : foundation::isWritable(path);
}

void setPreflightWritableTestForTesting(std::function<bool(const std::string&)> test) {
  writableTest() = std::move(test);
}

bool VexBatchPrintPanelController::runPreflightShowingDialog(bool showDialog) {
  std::size_t sheets = 0;
  std::vector<std::string> papers;  // in the order first met, so that the line reads the same each time
  for (const auto& row : allRows_) {
    if (!row->selected) continue;
    ++sheets;
    const auto bar = row->paperName.find("｜");
    const std::string paper = row->paperName.substr(0, bar);
    if (!paper.empty() && std::find(papers.begin(), papers.end(), paper) == papers.end()) papers.push_back(paper);
  }
  if (sheets == 0) {
    refuse(QDLT("预检失败：请至少选择一个页面。"));
    return false;
  }
  if (outputPath_->stringValue().empty()) {
    refuse(QDLT("预检失败：请选择输出位置。"));
    return false;
  }

  Findings f;
  const bool merged = outputMode_->selectedSegment() == 0;
  f.information.push_back(foundation::format(QDLT("页面：%ld 页，%@，纸张 %@"), static_cast<long>(sheets),
                                             merged ? QDLT("合并 PDF") : QDLT("单页 PDF"),
                                             papers.empty() ? QDLT("沿用布局纸张") : joined(papers, "、")));
  const toolkit::MenuItem* item = plotStyleMode_->selectedItem();
  checkPlotStyle(item != nullptr ? item->representedObject().value_or("") : std::string(), f);
  if (vexBatchHasPdfPlotDevice()) {
    f.information.push_back(QDLT("PDF 设备：可用"));
  } else {
    f.required.push_back(QDLT("未找到可用的 AutoCAD PDF 打印设备。"));
  }
  checkOutputFolder(outputPath_->stringValue(), merged, sheets, f);
  checkFonts(f);

  const bool passed = f.required.empty();
  if (!passed) {
    refuse(foundation::format(QDLT("预检失败：%ld 项必须先处理，任务未提交。"), static_cast<long>(f.required.size())));
  } else if (!f.warnings.empty()) {
    showStatus(foundation::format(QDLT("预检通过但有 %ld 项提示；可继续输出，建议先查看详情。"),
                                  static_cast<long>(f.warnings.size())));
  } else {
    showStatus(foundation::format(QDLT("预检通过：%ld 页，PDF 设备、打印样式、字体、目录和磁盘空间正常。"),
                                  static_cast<long>(sheets)));
  }
  if (showDialog) showAlert(f, passed);
  return passed;
}

void VexBatchPrintPanelController::preflight() { static_cast<void>(runPreflightShowingDialog(true)); }
