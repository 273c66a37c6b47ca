#pragma once
// The compact panel's window: a small fixed-size window for a quick PDF export of the current drawing, with the
// drawing's file name, how the export will be written, which sheets it takes, three action buttons, the export
// button, the switch to the full panel, a settings menu (output folder, language) and an option row (paper,
// plot style, one merged PDF).
//
// The window never works in the drawing and never queues a command: every button, menu choice and merge change
// goes to its action handler as a key ("automatic", "range", "showRanges", "output", "pro", "settings",
// "folder", "language", "mergeMode"). Paper and plot-style changes are only saved in the user defaults.
//
// Scripts find the window as "batchPrintLite", the buttons by their keys and the other controls by their
// property names ("filename", "status", "selection", "paperMode", "plotStyleMode", "mergePDF"). Main thread only.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/geometry.h"
#include "toolkit/window.h"

namespace toolkit {
class Button;
class Menu;
class MenuItem;
class PopUpButton;
class TextField;
class View;
}  // namespace toolkit

class QDLApplicationPanel;

// The plot-style choice of the shipped monochrome 0.05 mm style.
inline constexpr char QDLLiteFixedStyleChoice[] = "__lite_mono__";

class QDLLitePanel final : public toolkit::WindowDelegate {
 public:
  using ActionHandler = std::function<void(const std::string& key)>;

  // Builds the window (380 × 420, the option row hidden), centred, not shown.
  QDLLitePanel();
  ~QDLLitePanel() override;
  QDLLitePanel(const QDLLitePanel&) = delete;
  QDLLitePanel& operator=(const QDLLitePanel&) = delete;

  // Shows or hides the option row and resizes the window to 380 × 496 or 380 × 420, its top edge kept.
  void setProOptionsVisible(bool visible);
  bool proOptionsVisible() const { return proOptionsVisible_; }
  void layoutControls();
  // Every text in the interface language of the moment; the plot-style list keeps its saved choice.
  void applyLanguage();
  // Refills the plot-style pop-up: the monochrome style (not for named plot styles), the layouts' own, then
  // the names; selects the saved choice, or adds it as an "unavailable" item when the list lacks it.
  void reloadPlotStyles(const std::vector<std::string>& styles, bool namedStyles);
  // A new menu each time: the output folder, and the languages with the preference checked.
  std::shared_ptr<toolkit::Menu> settingsMenu();

  // Control actions, as the controls call them.
  void optionsChanged(toolkit::PopUpButton& sender);
  void mergeChanged(toolkit::Button& sender);
  void pressed(const std::string& key);
  void chooseLanguage(const std::string& code);

  // The close button only hides the window.
  bool windowShouldClose(toolkit::Window& window) override;

  const ActionHandler& actionHandler() const { return actionHandler_; }
  void setActionHandler(ActionHandler handler) { actionHandler_ = std::move(handler); }

  const std::shared_ptr<QDLApplicationPanel>& panel() const { return panel_; }
  const std::shared_ptr<toolkit::TextField>& filename() const { return filename_; }
  const std::shared_ptr<toolkit::TextField>& status() const { return status_; }
  const std::shared_ptr<toolkit::TextField>& selection() const { return selection_; }
  const std::shared_ptr<toolkit::TextField>& brand() const { return brand_; }
  const std::shared_ptr<toolkit::TextField>& paperLabel() const { return paperLabel_; }
  const std::shared_ptr<toolkit::TextField>& styleLabel() const { return styleLabel_; }
  const std::shared_ptr<toolkit::PopUpButton>& paperMode() const { return paperMode_; }
  const std::shared_ptr<toolkit::PopUpButton>& plotStyleMode() const { return plotStyleMode_; }
  const std::shared_ptr<toolkit::Button>& mergePDF() const { return mergePDF_; }
  const std::shared_ptr<toolkit::Button>& output() const { return output_; }
  // The six action buttons by key; nullptr for another key.
  toolkit::Button* button(const std::string& key) const;
  const std::vector<std::string>& availableStyles() const { return availableStyles_; }
  bool namedStyles() const { return namedStyles_; }

 private:
  std::shared_ptr<toolkit::TextField> label(const std::string& identifier, const toolkit::Rect& frame, double size);
  std::shared_ptr<toolkit::Button> makeButton(const std::string& symbol, const std::string& key,
                                              const toolkit::Rect& frame);
  void report(const std::string& key);
  void setButtonTexts(const std::string& key, const std::string& title, const std::string& toolTip);

  std::shared_ptr<QDLApplicationPanel> panel_;
  std::shared_ptr<toolkit::View> header_;
  std::shared_ptr<toolkit::TextField> filename_, status_, selection_, brand_, paperLabel_, styleLabel_;
  std::shared_ptr<toolkit::PopUpButton> paperMode_, plotStyleMode_;
  std::shared_ptr<toolkit::Button> mergePDF_, output_;
  std::map<std::string, std::shared_ptr<toolkit::Button>> buttons_;
  std::vector<std::string> availableStyles_;
  bool stylesLoaded_ = false;
  bool namedStyles_ = false;
  bool proOptionsVisible_ = false;
  ActionHandler actionHandler_;
};

// allowed and the stored Quodline.LiteMergePDF (absent: false).
bool QDLLiteWantsMergedOutput(bool allowed);
// The saved paper mode, clamped to 0 (automatic) … 5 (A0); 0 when absent or not a number.
long QDLLiteSavedPaperMode();
// The saved plot-style choice; when none is saved, the layouts' own for a drawing with named plot styles,
// else the shipped monochrome style.
std::string QDLLiteSavedPlotStyle(bool namedStyles);
