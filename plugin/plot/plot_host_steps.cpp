#include "plot/plot_host_steps.h"

#include <algorithm>
#include <limits>

#include "cad/database.h"
#include "cad/plot/plot_info.h"
#include "cad/result_buffer.h"
#include "cad/tables.h"
#include "cad/ucs.h"

namespace {

cad::Database* workingDatabase() {
  const cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  return services == nullptr ? nullptr : services->workingDatabase();
}

constexpr short kWorldCoordinates = 0;
constexpr short kDisplayCoordinates = 2;

}  // namespace

bool vexBatchFindModelLayout(VexBatchPrintLayoutRecord& record) {
  cad::Database* db = workingDatabase();
  if (db == nullptr) return false;
  cad::Dictionary* layouts = nullptr;
  if (db->getLayoutDictionary(layouts, cad::kForRead) != cad::eOk || layouts == nullptr) return false;
  bool found = false;
  for (const auto& [entryName, id] : layouts->entries) {
    cad::Layout* layout = nullptr;
    if (cad::acdbOpenObject(layout, id, cad::kForRead) != cad::eOk) continue;
    if (layout->modelType()) {
      const wchar_t* name = nullptr;
      const bool named = layout->getName(name) == cad::eOk && name != nullptr && *name != L'\0';
      record.layoutId = id;
      record.sheetName = named ? name : L"Model";
      found = true;
    }
    layout->close();
    if (found) break;
  }
  layouts->close();
  return found;
}

bool vexBatchWorldWindowToDisplay(double minX, double minY, double maxX, double maxY, double& x0, double& y0,
                                  double& x1, double& y1) {
  cad::resbuf from, to;
  from.restype = to.restype = cad::RTSHORT;
  from.resval.rint = kWorldCoordinates;
  to.resval.rint = kDisplayCoordinates;
  const double corners[4][2] = {{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}};
  double lowX = std::numeric_limits<double>::infinity(), lowY = lowX;
  double highX = -lowX, highY = -lowX;
  for (const auto& corner : corners) {
    const cad::ads_point world = {corner[0], corner[1], 0};
    cad::ads_point display = {0, 0, 0};
    if (cad::acedTrans(world, &from, &to, 0, display) != cad::RTNORM) return false;
    lowX = std::min(lowX, display[0]);
    lowY = std::min(lowY, display[1]);
    highX = std::max(highX, display[0]);
    highY = std::max(highY, display[1]);
  }
  x0 = lowX;
  y0 = lowY;
  x1 = highX;
  y1 = highY;
  return x0 < x1 && y0 < y1;
}

void vexBatchSetPlotInfoOriginalPath(cad::PlotInfo* plotInfo) {
  cad::Database* db = workingDatabase();
  if (plotInfo == nullptr || db == nullptr) return;
  const wchar_t* name = nullptr;
  if (db->getFilename(name) == cad::eOk && name != nullptr && *name != L'\0') plotInfo->setOrgFilePath(name);
}
