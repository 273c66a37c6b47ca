#include "plot/page_preparation.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <memory>

#include "cad/command_line.h"
#include "cad/database.h"
#include "cad/layout_manager.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "core/host_bridge.h"
#include "plot/last_result.h"
#include "plot/media_selection.h"
#include "plot/pdf_window_capture.h"
#include "plot/plot_host_steps.h"
#include "plot/plot_style_selection.h"
#include "plot/window_papers.h"
#include "recognition/layout_scan.h"
#include "recognition/paper.h"

namespace {

// The host's standard configuration that plots to PDF.
constexpr int kPlotPdfConfiguration = 11;
// Papers closer than this (mm) are the same paper for the reuse caches.
constexpr double kSamePaper = 0.01;

using cad::PlotPaperUnits;
using cad::PlotRotation;
using cad::PlotType;
using cad::StdScaleType;

std::wstring statusText(cad::ErrorStatus status) { return std::to_wstring(static_cast<int>(status)); }

bool samePaper(const VexBatchPrintPaperSpec& a, const VexBatchPrintPaperSpec& b) {
  return std::fabs(a.shortSide - b.shortSide) < kSamePaper && std::fabs(a.longSide - b.longSide) < kSamePaper;
}

// A paper smaller than this a side (mm), or without a finite size, is damage in the drawing, not a sheet.
constexpr double kSmallestSheet = 1.0;

bool isSheetSize(double w, double h) {
  return std::isfinite(w) && std::isfinite(h) && w >= kSmallestSheet && h >= kSmallestSheet;
}

std::wstring sizeText(double w, double h) {
  wchar_t text[96];
  std::swprintf(text, 96, L"%g x %g mm", w, h);
  return text;
}

// Whether the medium the settings carry is the w × h paper itself, as it stands.
bool isPaper(const cad::PlotSettings& settings, double w, double h) {
  constexpr double kTolerance = 0.1;
  double mw = 0, mh = 0;
  return settings.getPlotPaperSize(mw, mh) == cad::eOk && std::fabs(mw - w) <= kTolerance &&
         std::fabs(mh - h) <= kTolerance;
}

bool fail(const std::wstring& text) {
  gBatchPrintLastError = text;
  return false;
}

bool failOnLayout(const std::wstring& text) {
  gBatchPrintLastFailedOnLayout = true;
  return fail(text);
}

// Copies a layout's plot settings, opening it for reading only for the copy.
cad::ErrorStatus copyLayoutSettings(cad::ObjectId layoutId, cad::PlotSettings& into, bool& opened) {
  cad::Layout* layout = nullptr;
  opened = cad::acdbOpenObject(layout, layoutId, cad::kForRead) == cad::eOk;
  if (!opened) return cad::eNotApplicable;
  const cad::ErrorStatus copied = into.copyFrom(layout);
  layout->close();
  return copied;
}

class PagePreparation {
 public:
  PagePreparation(cad::PlotSettingsValidator* validator, std::wstring pdfDevice, std::wstring styleSheet)
      : validator_(validator), pdfDevice_(std::move(pdfDevice)), styleSheet_(std::move(styleSheet)) {}

  std::vector<VexBatchPrintLayoutRecord> layouts;
  VexBatchPrintLayoutRecord modelLayout;
  bool hasModelLayout = false;

  bool prepareModelFrame(const VexBatchPrintPageSpec& page, std::vector<VexBatchPrintPreparedPage>& out);
  bool prepareLayout(const VexBatchPrintPageSpec& page, std::vector<VexBatchPrintPreparedPage>& out);

 private:
  // The medium's orientation against the window's: a quarter turn when they differ.
  bool turnToWindow(cad::PlotSettings& settings, bool landscape);
  bool validate(VexBatchPrintPreparedPage& prepared, cad::ObjectId layoutId, const std::wstring& failurePrefix);

  cad::PlotSettingsValidator* validator_;
  std::wstring pdfDevice_;
  std::wstring styleSheet_;

  // The first prepared model frame's settings (owned by its prepared page) and paper.
  const cad::PlotSettings* modelCache_ = nullptr;
  VexBatchPrintPaperSpec modelCachePaper_;
  // The last layout window that was not itself reused: settings (owned by its prepared page), layout, carrier.
  const cad::PlotSettings* windowCache_ = nullptr;
  std::wstring windowCacheLayout_;
  VexBatchPrintPaperSpec windowCacheCarrier_;
};

bool PagePreparation::turnToWindow(cad::PlotSettings& settings, bool landscape) {
  double w = 0, h = 0;
  if (settings.getPlotPaperSize(w, h) != cad::eOk) w = h = 0;
  const PlotRotation rotation = (h <= w) != landscape ? PlotRotation::k90degrees : PlotRotation::k0degrees;
  return validator_->setPlotRotation(&settings, rotation) == cad::eOk;
}

bool PagePreparation::validate(VexBatchPrintPreparedPage& prepared, cad::ObjectId layoutId,
                               const std::wstring& failurePrefix) {
  if (!vexBatchApplyPlotStyle(validator_, prepared.settings.get(), styleSheet_)) return false;
  prepared.plotInfo = std::make_unique<cad::PlotInfo>();
  vexBatchSetPlotInfoOriginalPath(prepared.plotInfo.get());
  prepared.plotInfo->setLayout(layoutId);
  prepared.plotInfo->setOverrideSettings(prepared.settings.get());
  cad::PlotInfoValidator infoValidator;
  infoValidator.setMediaMatchingPolicy(cad::PlotInfoValidator::kMatchEnabled);
  const cad::ErrorStatus status = infoValidator.validate(*prepared.plotInfo);
  if (status != cad::eOk) {
    // The validator's reason (a plot-style table that cannot be read) tells the user what to mend.
    const std::string& reason = infoValidator.failureReason();
    return fail(failurePrefix + L" status=" + statusText(status) + (reason.empty() ? L"" : L": " + vexBatchWideString(reason)));
  }
  return vexBatchFinalizeValidatedPlotStyle(prepared.plotInfo.get(), validator_, prepared.settings.get(), styleSheet_,
                                            prepared.name, prepared.repairedSettings);
}

bool PagePreparation::prepareModelFrame(const VexBatchPrintPageSpec& page,
                                        std::vector<VexBatchPrintPreparedPage>& out) {
  if (!hasModelLayout || page.maxX <= page.minX || page.maxY <= page.minY) {
    return fail(L"Invalid model frame: " + page.name);
  }
  if (!vexBatchActivateLayout(modelLayout.sheetName)) return failOnLayout(L"Cannot activate model layout");

  VexBatchPrintPreparedPage prepared;
  prepared.name = page.name;
  prepared.layoutName = modelLayout.sheetName;
  prepared.settings = std::make_unique<cad::PlotSettings>(true);
  cad::PlotSettings& settings = *prepared.settings;

  const bool cached = modelCache_ != nullptr;
  cad::ErrorStatus copied = cad::eOk;
  if (!cached) {
    bool opened = false;
    copied = copyLayoutSettings(modelLayout.layoutId, settings, opened);
    if (!opened) return fail(L"Cannot open model layout");
  } else {
    copied = settings.copyFrom(modelCache_);
  }
  if (copied != cad::eOk) return fail(L"Cannot clone model plot settings");

  // The window is plotted as the view shows it: in a twisted view its displayed box decides the orientation.
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (!vexBatchWorldWindowToDisplay(page.minX, page.minY, page.maxX, page.maxY, x0, y0, x1, y1)) {
    return fail(L"Cannot transform model frame to plot DCS");
  }
  const bool landscape = (y1 - y0) <= (x1 - x0);
  if (!cached) {
    if (validator_->setPlotCfgName(&settings, pdfDevice_.c_str(), nullptr) != cad::eOk) {
      return fail(L"Cannot select PDF device for model frame");
    }
    validator_->setPlotPaperUnits(&settings, PlotPaperUnits::kMillimeters);
    validator_->refreshLists(&settings);
  }

  const VexBatchPrintPaperSpec paper = vexBatchSourcePaperForWindow(page);
  const bool reuse = cached && samePaper(modelCachePaper_, paper);
  if (!reuse && vexBatchSelectMedia(validator_, &settings, paper, landscape, true) != cad::eOk) {
    return fail(L"Cannot match " + paper.name + L" paper for model frame");
  }
  turnToWindow(settings, landscape);

  if (validator_->setPlotWindowArea(&settings, x0, y0, x1, y1) != cad::eOk) {
    return fail(L"Cannot set plot window for model frame");
  }
  if (validator_->setPlotType(&settings, PlotType::kWindow) != cad::eOk) {
    return fail(L"Cannot enable window plot for model frame");
  }
  validator_->setPlotCentered(&settings, true);
  validator_->setUseStandardScale(&settings, true);
  validator_->setStdScaleType(&settings, StdScaleType::kScaleToFit);

  if (!validate(prepared, modelLayout.layoutId, L"Plot validation failed for model frame: " + page.name)) return false;
  if (!cached) {
    modelCache_ = prepared.settings.get();
    modelCachePaper_ = paper;
  }
  if (!vexBatchCapturePdfWindow(prepared, paper)) return false;
  out.push_back(std::move(prepared));
  return true;
}

bool PagePreparation::prepareLayout(const VexBatchPrintPageSpec& page, std::vector<VexBatchPrintPreparedPage>& out) {
  const VexBatchPrintLayoutRecord* record = nullptr;
  for (const VexBatchPrintLayoutRecord& r : layouts) {
    if (r.layoutName == page.layoutName) {
      record = &r;
      break;
    }
  }
  if (record == nullptr) return failOnLayout(L"Layout not found: " + page.layoutName);
  if (!vexBatchActivateLayout(page.layoutName)) return failOnLayout(L"Cannot activate layout: " + page.layoutName);

  VexBatchPrintPreparedPage prepared;
  prepared.name = page.name.empty() ? page.layoutName : page.name;
  prepared.layoutName = page.layoutName;
  prepared.settings = std::make_unique<cad::PlotSettings>(false);
  cad::PlotSettings& settings = *prepared.settings;

  const VexBatchPrintPaperSpec request = vexBatchSourcePaperForWindow(page);
  const VexBatchPrintPaperSpec carrier = vexBatchCarrierPaperForLayoutWindow(request);
  const bool reuse = page.layoutWindow && windowCache_ != nullptr && windowCacheLayout_ == page.layoutName &&
                     samePaper(windowCacheCarrier_, carrier);

  cad::ErrorStatus copied = cad::eOk;
  if (!reuse) {
    bool opened = false;
    copied = copyLayoutSettings(record->layoutId, settings, opened);
    if (!opened) return fail(L"Cannot open layout: " + page.layoutName);
  } else {
    copied = settings.copyFrom(windowCache_);
  }
  if (copied != cad::eOk) return fail(L"Cannot clone plot settings for: " + page.layoutName);

  if (!page.layoutWindow) {
    double w = 0, h = 0;
    if (settings.getPlotPaperSize(w, h) != cad::eOk) w = h = 0;
    if (!isSheetSize(w, h)) return fail(L"Damaged layout paper (" + sizeText(w, h) + L"): " + page.layoutName);
    const PlotPaperUnits units = settings.plotPaperUnits();
    const PlotRotation ownRotation = settings.plotRotation();
    if (validator_->setPlotCfgName(&settings, pdfDevice_.c_str(), nullptr) != cad::eOk) {
      return fail(L"Cannot select PDF device for: " + page.layoutName);
    }
    validator_->refreshLists(&settings);

    // The host reports a layout's paper in millimetres whatever its plot units; only a size in pixels has
    // no medium to be near to.
    const bool overridden = page.paperOverridden && page.paper.shortSide > 0 && page.paper.longSide > 0;
    cad::ErrorStatus status = cad::eInvalidInput;
    if (overridden) {
      status = vexBatchSelectMedia(validator_, &settings, page.paper, h <= w, true);
      // The paper the user chose is never silently replaced by another.
      if (status != cad::eOk) {
        return fail(L"Cannot match " + page.paper.name + L" paper for: " + page.layoutName + L" status=" +
                    statusText(status));
      }
    } else if (units == PlotPaperUnits::kPixels) {
      status = validator_->setClosestMediaName(&settings, w, h, units, true);
      if (status != cad::eOk) {
        const VexBatchPrintPaperSpec a4 = vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, 210, 297);
        status = vexBatchSelectMedia(validator_, &settings, a4, false, true);
      }
      if (status != cad::eOk) {
        return fail(L"Cannot match PDF paper for: " + page.layoutName + L" status=" + statusText(status));
      }
    } else {
      // Plotted 1:1, the layout's own paper, else the smallest medium that holds it: a smaller one would cut
      // its content off.
      status = validator_->setClosestMediaName(&settings, w, h, PlotPaperUnits::kMillimeters, true);
      if (status != cad::eOk || !isPaper(settings, w, h)) {
        status = vexBatchSelectMediumHolding(validator_, &settings, w, h, units);
      }
      if (status != cad::eOk) {
        return fail(L"No PDF medium holds the whole layout at 1:1 (" + sizeText(w, h) + L"): " + page.layoutName);
      }
    }
    validator_->setPlotRotation(&settings, ownRotation);
    validator_->setPlotType(&settings, PlotType::kLayout);
    validator_->setUseStandardScale(&settings, true);
    validator_->setStdScaleType(&settings, overridden ? StdScaleType::kScaleToFit : StdScaleType::k1_1);
    if (overridden) validator_->setPlotCentered(&settings, true);
  } else {
    if (page.maxX <= page.minX || page.maxY <= page.minY) return fail(L"Invalid layout frame: " + prepared.name);
    const bool landscape = (page.maxY - page.minY) <= (page.maxX - page.minX);
    if (!reuse) {
      if (validator_->setPlotCfgName(&settings, pdfDevice_.c_str(), nullptr) != cad::eOk) {
        return fail(L"Cannot select PDF device for layout frame");
      }
      validator_->setPlotPaperUnits(&settings, PlotPaperUnits::kMillimeters);
      validator_->refreshLists(&settings);
      if (vexBatchSelectMedia(validator_, &settings, carrier, landscape, true) != cad::eOk) {
        return fail(L"Cannot match " + carrier.name + L" carrier paper for layout frame");
      }
    }
    if (carrier.name != request.name || std::fabs(carrier.shortSide - request.shortSide) > kSamePaper ||
        std::fabs(carrier.longSide - request.longSide) > kSamePaper) {
      cad::acutPrintf(L"\nDUZOZAREDCARRIER request=%ls %.2fx%.2f carrier=%ls %.2fx%.2f reuse=%d", request.name.c_str(),
                      request.shortSide, request.longSide, carrier.name.c_str(), carrier.shortSide, carrier.longSide,
                      reuse ? 1 : 0);
    }
    turnToWindow(settings, landscape);
    if (validator_->setPlotWindowArea(&settings, page.minX, page.minY, page.maxX, page.maxY) != cad::eOk) {
      return fail(L"Cannot set plot window for layout frame");
    }
    if (validator_->setPlotType(&settings, PlotType::kWindow) != cad::eOk) {
      return fail(L"Cannot enable window plot for layout frame");
    }
    validator_->setPlotCentered(&settings, true);
    validator_->setUseStandardScale(&settings, true);
    validator_->setStdScaleType(&settings, StdScaleType::kScaleToFit);
  }

  if (!validate(prepared, record->layoutId, L"Plot validation failed for: " + page.layoutName)) return false;
  if (page.layoutWindow && !reuse) {
    windowCache_ = prepared.settings.get();
    windowCacheLayout_ = page.layoutName;
    windowCacheCarrier_ = carrier;
  }
  if (page.layoutWindow && !vexBatchCapturePdfWindow(prepared, carrier)) return false;
  out.push_back(std::move(prepared));
  return true;
}

}  // namespace

bool vexBatchPreparePages(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& styleSheet,
                          std::vector<VexBatchPrintPreparedPage>& prepared) {
  prepared.clear();
  if (pages.empty()) return fail(L"No pages to plot");

  std::vector<VexBatchPrintLayoutRecord> layouts = vexCollectPaperLayouts();
  VexBatchPrintLayoutRecord modelLayout;
  const bool hasModelLayout = vexBatchFindModelLayout(modelLayout);

  const cad::HostApplicationServices* services = cad::acdbHostApplicationServices();
  cad::PlotSettingsValidator* validator = services == nullptr ? nullptr : services->plotSettingsValidator();
  const cad::PlotConfigManager* configs = cad::acplPlotConfigManagerPtr();
  std::wstring pdfDevice = configs == nullptr ? std::wstring() : configs->getStdConfigName(kPlotPdfConfiguration);
  if (validator == nullptr || cad::layoutManager() == nullptr || pdfDevice.empty()) {
    return fail(L"PDF plot device is unavailable");
  }

  PagePreparation preparation(validator, std::move(pdfDevice), styleSheet);
  preparation.layouts = std::move(layouts);
  preparation.modelLayout = std::move(modelLayout);
  preparation.hasModelLayout = hasModelLayout;
  for (const VexBatchPrintPageSpec& page : pages) {
    const bool done = page.source == VexBatchPrintSourceModel ? preparation.prepareModelFrame(page, prepared)
                                                              : preparation.prepareLayout(page, prepared);
    if (!done) return false;
  }
  return !prepared.empty();
}
