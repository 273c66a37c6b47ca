#pragma once
// What one page of a plot is: a layout, the settings that override the layout's own (not owned: the caller
// keeps them alive as long as the plot info), the drawing's file, and the settings the plot-info validator
// made of them. The publish engine plots the validated settings only.

#include <memory>
#include <string>

#include "cad/error_status.h"
#include "cad/object_id.h"

namespace cad {

class PlotSettings;

class PlotInfo {
 public:
  PlotInfo();
  ~PlotInfo();
  PlotInfo(const PlotInfo&) = delete;
  PlotInfo& operator=(const PlotInfo&) = delete;

  void setLayout(ObjectId layout);
  ObjectId layout() const { return layout_; }
  void setOverrideSettings(const PlotSettings* settings);
  const PlotSettings* overrideSettings() const { return override_; }
  void setOrgFilePath(const wchar_t* path);
  const std::wstring& OrgFilePath() const { return orgFilePath_; }

  // nullptr until validated; changing the layout or the override drops it.
  const PlotSettings* validatedSettings() const { return validated_.get(); }
  bool isValidated() const { return validated_ != nullptr; }
  // Replaces the validated settings with a copy of these.
  ErrorStatus setValidatedSettings(const PlotSettings* settings);

  struct Faults {
    bool setValidatedSettings = false;
  } faults;

 private:
  friend class PlotInfoValidator;
  ObjectId layout_;
  const PlotSettings* override_ = nullptr;
  std::wstring orgFilePath_;
  std::unique_ptr<PlotSettings> validated_;
};

}  // namespace cad
