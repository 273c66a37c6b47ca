#include "cad/plot/plot_config_manager.h"

#include <algorithm>

#include "cad/tables.h"

namespace cad {

namespace {
bool gAbsent = false;
}

PlotConfigManager::PlotConfigManager() { reset(); }

void PlotConfigManager::reset() {
  devices_.clear();
  devices_.push_back(std::make_unique<PlotDevice>(kNoDeviceName, std::vector<Medium>{}, L"", false));
  devices_.push_back(
      std::make_unique<PlotDevice>(kPdfDeviceName, standardPdfMedia(), L"ISO_A4_(210.00_x_297.00_MM)", true));
  standard_ = {{10, kPdfDeviceName}, {11, kPdfDeviceName}};
  faults = {};
}

ErrorStatus PlotConfigManager::getDevicesList(std::vector<std::wstring>& names) const {
  names.clear();
  if (faults.devicesList) return eNotApplicable;
  for (const auto& d : devices_) names.push_back(d->name());
  return eOk;
}

std::wstring PlotConfigManager::getStdConfigName(int number) const {
  const auto it = standard_.find(number);
  return it == standard_.end() ? std::wstring() : it->second;
}

PlotDevice* PlotConfigManager::device(std::wstring_view name) {
  for (const auto& d : devices_) {
    if (namesEqual(d->name(), name)) return d.get();
  }
  return nullptr;
}

const PlotDevice* PlotConfigManager::device(std::wstring_view name) const {
  return const_cast<PlotConfigManager*>(this)->device(name);
}

void PlotConfigManager::setStdConfigName(int number, std::wstring name) {
  if (name.empty()) {
    standard_.erase(number);
  } else {
    standard_[number] = std::move(name);
  }
}

PlotDevice& PlotConfigManager::addDevice(PlotDevice device) {
  removeDevice(device.name());
  devices_.push_back(std::make_unique<PlotDevice>(std::move(device)));
  return *devices_.back();
}

bool PlotConfigManager::removeDevice(std::wstring_view name) {
  return std::erase_if(devices_, [&](const auto& d) { return namesEqual(d->name(), name); }) > 0;
}

PlotDevice* PlotConfigManager::pdfDevice() { return device(kPdfDeviceName); }

PlotConfigManager* acplPlotConfigManagerPtr() {
  static auto* manager = new PlotConfigManager;
  return gAbsent ? nullptr : manager;
}

void setPlotConfigManagerAbsent(bool absent) { gAbsent = absent; }

}  // namespace cad
