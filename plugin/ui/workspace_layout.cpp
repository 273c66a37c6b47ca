// The workspace's layout pass: every frame a constant or a linear function of the workspace's size, recomputed on
// each pass, with the few texts and images that follow state.

#include <array>

#include "graphics/image.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "ui/compact_label.h"
#include "ui/modern_button.h"
#include "ui/modern_metric.h"
#include "ui/modern_place.h"
#include "ui/modern_workspace.h"

namespace {

// The output options behind the toggle.
constexpr std::array<const char*, 10> kFurtherOptions = {"nameLabel",  "name",       "paperLabel", "paper",
                                                         "applyPaper", "scaleLabel", "scale",      "percent",
                                                         "applyScale", "overwrite"};
constexpr std::array<const char*, 6> kModeTiles = {"automatic",  "pickLayer", "pickBlock",
                                                   "pickFrames", "range",     "clearRange"};
constexpr std::array<const char*, 8> kListButtons = {"refresh", "all",   "none",   "up",
                                                     "down",    "focus", "remove", "restore"};
constexpr std::array<const char*, 4> kToolButtons = {"preview", "preflight", "diagnostics", "resume"};

}  // namespace

void QDLModernWorkspace::layout() {
  QDLModernSurface::layout();
  const double bw = bounds().width(), bh = bounds().height();
  refreshLanguageSetting();
  setOwnWordings();
  advancedToggle_->setImage(graphics::Image::systemSymbol(advancedExpanded_ ? "chevron.down" : "chevron.right"));

  const double cw = bw - 152;
  const double lw = cw - 280;
  const double xr = 140 + lw + 10;
  auto sidebar = section("sidebar");
  QDLModernPlace(*this, sidebar, 0, 0, 128, bh);
  for (std::size_t n = 0; n < navigationButtons_.size(); ++n) {
    QDLModernPlace(*sidebar, navigationButtons_[n], 0, 177 + 48 * static_cast<double>(n), 128, 40);
  }
  QDLModernPlace(*sidebar, sidebarFooter_, 6, bh - 37, 116, 22);
  fitBrand();
  QDLModernPlace(*this, editionMenu_, bw - 110, 10, 96, 28);
  QDLModernPlace(*this, section("header"), 140, 10, cw, 74);
  QDLModernPlace(*this, section("recognition"), 140, 90, lw, 152);
  QDLModernPlace(*this, section("list"), 140, 250, lw, bh - 262);
  QDLModernPlace(*this, section("output"), xr, 90, 270, bh - 294);
  QDLModernPlace(*this, section("tools"), xr, bh - 196, 270, 184);
  QDLModernPlace(*this, section("settings"), 140, 48, cw, bh - 60);
  QDLModernPlace(*this, section("about"), 140, 48, cw, bh - 60);

  placeHome(bw, bh);
  placeOutputDocument(bh - 294);

  // The tool row shows symbols only; the wording moves to the tooltip for good.
  for (std::size_t i = 0; i < kToolButtons.size(); ++i) {
    if (auto button = controlAs<toolkit::Button>(kToolButtons[i]); button && !button->title().empty()) {
      button->setToolTip(button->title());
      button->setAccessibilityLabel(button->title());
      button->setTitle("");
    }
  }
  place("status", "tools", 12, 4, 246, 18);
  for (std::size_t i = 0; i < kToolButtons.size(); ++i) {
    place(kToolButtons[i], "tools", 12 + 61 * static_cast<double>(i), 62, 54, 32);
  }
  place("diagnosticsStatus", "tools", 12, 104, 246, 18);
  place("export", "tools", 12, 136, 246, 36);

  place("command", "settings", 24, 112, 180, 36);
  place("update", "settings", 24, 214, 180, 36);
  place("uninstall", "settings", 24, 316, 180, 36);
}

void QDLModernWorkspace::placeHome(double bw, double bh) {
  const double cw = bw - 152;
  const double lw = cw - 280;
  const double tw = (cw - 24) / 4;
  const double mw = (lw - 49) / 6;

  place("source", "header", 0, 0, 250, 28);
  // 22 points hold an 18-point heading in the platform's font; Noto Sans CJK reaches further below the baseline,
  // so the heading's frame has two more points above and below.
  place("heading", "header", 264, 2, cw - 374, 26);
  auto header = section("header");
  for (std::size_t i = 0; i < metrics_.size(); ++i) {
    QDLModernPlace(*header, metrics_[i], static_cast<double>(i) * (tw + 8), 39, tw, 32);
  }

  place("recognitionStatus", "recognition", 162, 12, lw - 174, 18);
  for (std::size_t k = 0; k < kModeTiles.size(); ++k) {
    place(kModeTiles[k], "recognition", 12 + static_cast<double>(k) * (mw + 5), 42, mw, 66);
  }
  place("nonplot", "recognition", 12, 118, 156, 24);
  place("blank", "recognition", 174, 118, lw - 428, 24);
  place("showRanges", "recognition", lw - 248, 116, 116, 28);
  place("add", "recognition", lw - 126, 116, 114, 28);

  const double lh = bh - 262;
  if (controls_.contains("files")) place("files", "list", lw - 200, 6, 188, 28);
  place("scope", "list", 12, 42, 228, 26);
  place("filter", "list", 246, 42, lw - 258, 26);
  for (std::size_t j = 0; j < kListButtons.size(); ++j) {
    place(kListButtons[j], "list", 12 + 29 * static_cast<double>(j), 78, 27, 27);
  }
  place("sort", "list", 248, 78, lw - 260, 26);
  place("scroll", "list", 12, 114, lw - 24, lh - 147);
  place("summary", "list", 12, lh - 26, lw - 24, 20);
}

void QDLModernWorkspace::placeOutputDocument(double oh) {
  QDLModernPlace(*section("output"), outputScroll_, 0, 38, 270, oh - 38);
  const double dw = outputScroll_->contentSize().width;
  QDLModernPlace(outputScroll_->contentView(), outputDocument_, 0, 0, dw, advancedExpanded_ ? 530 : 250);
  toolkit::View& doc = *outputDocument_;
  auto put = [&](const char* key, double x, double y, double w, double h) {
    QDLModernPlace(doc, control(key), x, y, w, h);
  };
  put("outputMode", 12, 0, dw - 24, 30);
  put("styleLabel", 12, 42, dw - 24, 20);
  put("style", 12, 65, dw - 24, 28);
  put("pathLabel", 12, 104, dw - 24, 20);
  put("location", 12, 127, dw - 24, 28);
  put("path", 12, 166, dw - 60, 24);
  put("browse", dw - 40, 164, 28, 28);
  QDLModernPlace(doc, advancedToggle_, 12, 204, dw - 24, 28);
  for (const char* key : kFurtherOptions) {
    if (auto view = control(key)) view->setHidden(!advancedExpanded_);
  }
  put("paperLabel", 12, 246, dw - 24, 20);
  put("paper", 12, 270, dw - 112, 28);
  put("applyPaper", dw - 90, 270, 78, 28);
  put("scaleLabel", 12, 310, dw - 24, 20);
  put("scale", 12, 334, 90, 26);
  put("percent", 110, 338, 24, 22);
  put("applyScale", dw - 90, 334, 78, 28);
  put("nameLabel", 12, 374, dw - 24, 20);
  put("name", 12, 398, dw - 24, 26);
  put("overwrite", 12, 441, dw - 24, 24);
}
