#pragma once
// The host's plot-configuration manager: the plot devices it knows and the names of its standard
// configurations. The stand-in knows "None" and a PDF device; standard configurations 10 and 11 both name
// the PDF device. Tests blank either number, change catalogues, add devices or make the manager absent.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/error_status.h"
#include "cad/plot/plot_device.h"

namespace cad {

inline constexpr wchar_t kPdfDeviceName[] = L"Standard PDF.pc3";
inline constexpr wchar_t kNoDeviceName[] = L"None";

class PlotConfigManager {
 public:
  PlotConfigManager();

  // Device names in the host's order.
  ErrorStatus getDevicesList(std::vector<std::wstring>& names) const;
  // The device name of a standard configuration; empty when the number names none.
  std::wstring getStdConfigName(int number) const;

  // Host side: a device by name (ignoring case, as device names compare); nullptr when unknown.
  PlotDevice* device(std::wstring_view name);
  const PlotDevice* device(std::wstring_view name) const;

  // Test side
  void setStdConfigName(int number, std::wstring name);  // empty blanks the number
  PlotDevice& addDevice(PlotDevice device);
  bool removeDevice(std::wstring_view name);
  PlotDevice* pdfDevice();  // the device standard configuration 11 names at start; nullptr once removed
  struct Faults {
    bool devicesList = false;
  } faults;
  void reset();

 private:
  std::vector<std::unique_ptr<PlotDevice>> devices_;
  std::map<int, std::wstring> standard_;
};

// nullptr while a test makes it absent.
PlotConfigManager* acplPlotConfigManagerPtr();
void setPlotConfigManagerAbsent(bool absent);

}  // namespace cad
