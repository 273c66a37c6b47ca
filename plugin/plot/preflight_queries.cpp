#include "plot/preflight_queries.h"

#include <algorithm>
#include <array>
#include <memory>

#include "cad/database.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_style_folders.h"
#include "cad/plot/plot_style_table.h"
#include "cad/tables.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/transforms.h"

namespace {

// The host's standard configuration that names its PDF device.
constexpr int kStandardPdfConfiguration = 10;

constexpr std::array<std::string_view, 4> kFontExtensions = {"shx", "ttf", "ttc", "otf"};

bool isFontFileName(const std::wstring& name) {
  const std::size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos) return false;
  const std::string extension = foundation::lowercased(vexBatchNSString(name.substr(dot + 1)));
  return std::find(kFontExtensions.begin(), kFontExtensions.end(), extension) != kFontExtensions.end();
}

// Closes the object it holds when it goes, whatever way the function leaves.
template <class T>
struct Closer {
  void operator()(T* object) const { object->close(); }
};
template <class T>
using OpenedForRead = std::unique_ptr<T, Closer<T>>;

}  // namespace

bool vexBatchHasPdfPlotDevice() {
  const cad::PlotConfigManager* manager = cad::acplPlotConfigManagerPtr();
  if (manager == nullptr) return false;
  std::vector<std::wstring> devices;
  if (manager->getDevicesList(devices) != cad::eOk) return false;
  const std::wstring standard = manager->getStdConfigName(kStandardPdfConfiguration);
  for (const std::wstring& device : devices) {
    if (device.empty()) continue;
    const std::string name = vexBatchNSString(device);
    if (foundation::containsIgnoringCase(name, "pdf")) return true;
    if (!standard.empty() && cad::namesEqual(device, standard)) return true;
  }
  return false;
}

std::optional<std::string> vexBatchPlotStyleTableProblem(const std::wstring& styleSheet) {
  if (styleSheet.empty()) return std::nullopt;
  const std::optional<std::string> path = cad::plotStyleFilePath(styleSheet);
  if (!path) return std::nullopt;
  const cad::PlotStyleTableRead read = cad::readPlotStyleTable(*path);
  if (read.table) return std::nullopt;
  return read.error.empty() ? std::string("unreadable") : read.error;
}

bool vexBatchFontFileAvailable(const std::wstring& fontFile, cad::Database* database) {
  if (fontFile.empty()) return true;
  const std::string path = vexBatchNSString(fontFile);
  if (!path.empty() && path.front() == '/' && foundation::fileExists(path)) return true;
  const cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  if (services == nullptr) return false;
  std::wstring found;
  return services->findFile(found, fontFile.c_str(), database, cad::HostApplicationServices::kFontFile) == cad::eOk &&
         !found.empty();
}

std::vector<std::wstring> vexBatchMissingTextStyleFonts() {
  std::vector<std::wstring> missing;
  const cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  cad::Database* db = services == nullptr ? nullptr : services->workingDatabase();
  if (db == nullptr) return missing;
  cad::TextStyleTable* rawTable = nullptr;
  if (db->getTextStyleTable(rawTable, cad::kForRead) != cad::eOk || rawTable == nullptr) return missing;
  const OpenedForRead<cad::TextStyleTable> table(rawTable);

  for (const cad::ObjectId id : table->recordIds) {
    std::wstring styleName, fontFile, bigFontFile;
    {
      cad::TextStyleTableRecord* rawRecord = nullptr;
      if (cad::acdbOpenObject(rawRecord, id, cad::kForRead) != cad::eOk) continue;  // erased ones too
      const OpenedForRead<cad::TextStyleTableRecord> record(rawRecord);
      if (record->getName(styleName) != cad::eOk) styleName.clear();
      fontFile = record->fileName;
      bigFontFile = record->bigFontFileName;
    }
    if (styleName.empty()) styleName = L"未命名样式";
    for (const std::wstring& file : {fontFile, bigFontFile}) {
      if (file.empty() || !isFontFileName(file) || vexBatchFontFileAvailable(file, db)) continue;
      std::wstring entry = styleName + L"｜" + file;
      if (std::find(missing.begin(), missing.end(), entry) == missing.end()) missing.push_back(std::move(entry));
    }
  }
  return missing;
}
