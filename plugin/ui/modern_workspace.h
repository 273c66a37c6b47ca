#pragma once
// The content of the full batch-print panel: a fixed sidebar with the page buttons, and three pages. The home
// page (0) holds a header with four statistics tiles and the recognition, sheet list, output and tools cards;
// page 2 the settings, page 3 about. It owns none of the panel's logic: the panel makes every control, wires its
// action and hands them all over keyed by role; the workspace styles them, groups them into sections and places
// everything by explicit frames on each layout pass. Its own controls are the page buttons, the interface menu,
// the toggle of the further output options, the reverse-scroll checkbox and the language pop-up.
//
// Main thread only.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/modern_surface.h"

namespace toolkit {
class Button;
class Control;
class PopUpButton;
class ScrollView;
class TextField;
}  // namespace toolkit

class QDLCompactLabel;
class QDLModernButton;
class QDLModernMetric;

// The full panel's controls by role. Every role the layout places must be there, except "files".
using QDLControls = std::map<std::string, std::shared_ptr<toolkit::View>>;

class QDLModernWorkspace : public QDLModernSurface {
 public:
  // Builds the workspace around the controls and shows the home page, relocalised.
  explicit QDLModernWorkspace(QDLControls controls);
  ~QDLModernWorkspace() override;

  const QDLControls& controls() const { return controls_; }
  // By key: "sidebar", "header", "recognition", "list", "output", "tools", "settings", "about".
  const std::map<std::string, std::shared_ptr<QDLModernSurface>>& sections() const { return sections_; }
  std::shared_ptr<QDLModernSurface> section(const std::string& key) const;
  // Home, settings, about.
  const std::vector<std::shared_ptr<QDLModernButton>>& navigationButtons() const { return navigationButtons_; }
  // Total sheets, printable, excluded, output pages.
  const std::vector<std::shared_ptr<QDLModernMetric>>& metrics() const { return metrics_; }
  const std::shared_ptr<toolkit::PopUpButton>& editionMenu() const { return editionMenu_; }
  const std::shared_ptr<toolkit::Button>& advancedToggle() const { return advancedToggle_; }
  const std::shared_ptr<toolkit::ScrollView>& outputScroll() const { return outputScroll_; }
  const std::shared_ptr<QDLModernSurface>& outputDocument() const { return outputDocument_; }
  const std::shared_ptr<QDLCompactLabel>& sidebarFooter() const { return sidebarFooter_; }
  const std::shared_ptr<toolkit::Button>& reverseScrollToggle() const { return reverseScrollToggle_; }
  const std::shared_ptr<toolkit::PopUpButton>& languageSetting() const { return languageSetting_; }
  bool advancedExpanded() const { return advancedExpanded_; }
  long page() const { return page_; }

  // Shows page 0, 2 or 3 (any other is ignored), unless the window cannot end the current text editing.
  void showPage(long page);
  void navigate(toolkit::Control& sender);
  // Item 1 sends the "lite" control's action with the menu as sender; the menu always shows item 0 again.
  void changeEdition(toolkit::PopUpButton& menu);
  // Shows or hides the further output options, unless the window cannot end the current text editing.
  void toggleAdvanced(toolkit::Control& sender);
  void toggleReverseScroll(toolkit::Control& sender);
  // Stores the chosen language; when editing cannot end, only puts the pop-up back to the stored one.
  void chooseLanguage(toolkit::PopUpButton& popUp);
  void languageChanged();
  // Each language in its own name (the automatic choice in the interface language), the stored one selected.
  void refreshLanguageSetting();

  // A one-line label in the semibold system font of that size, in ink.
  std::shared_ptr<QDLCompactLabel> text(const std::string& text, double size) const;
  // A square-cornered section added to the workspace, with its title label when it has a title.
  std::shared_ptr<QDLModernSurface> addSection(const std::string& key, const std::optional<std::string>& title);
  // Puts a control into a section at a frame; nothing when either is missing.
  void place(const std::string& controlKey, const std::string& sectionKey, double x, double y, double w, double h);

  void layout() override;

 private:
  std::shared_ptr<toolkit::View> control(const std::string& key) const;
  template <typename T>
  std::shared_ptr<T> controlAs(const std::string& key) const {
    return std::dynamic_pointer_cast<T>(control(key));
  }
  // False when the window's first responder refuses to give up (a field whose text cannot be taken).
  bool canEndEditing() const;
  void build();
  void buildSidebar();
  void buildHeader();
  void buildOutputCard();
  void buildSettingsPage();
  void buildAboutPage();
  void styleControls();
  // The texts given in three wordings, which a relocalisation cannot recognise.
  void setOwnWordings();
  // The brand's two lines at the largest size up to their own that their frames hold, in every language.
  void fitBrand();
  void placeHome(double bw, double bh);
  void placeOutputDocument(double oh);

  QDLControls controls_;
  std::map<std::string, std::shared_ptr<QDLModernSurface>> sections_;
  std::vector<std::shared_ptr<QDLModernButton>> navigationButtons_;
  std::vector<std::shared_ptr<QDLModernMetric>> metrics_;
  std::shared_ptr<toolkit::PopUpButton> editionMenu_;
  std::shared_ptr<toolkit::Button> advancedToggle_;
  std::shared_ptr<toolkit::ScrollView> outputScroll_;
  std::shared_ptr<QDLModernSurface> outputDocument_;
  std::shared_ptr<QDLCompactLabel> sidebarFooter_;
  std::shared_ptr<toolkit::Button> reverseScrollToggle_;
  std::shared_ptr<toolkit::PopUpButton> languageSetting_;
  std::shared_ptr<QDLCompactLabel> aboutHeading_;
  std::shared_ptr<QDLCompactLabel> brandLabel_;
  std::shared_ptr<QDLCompactLabel> productLabel_;
  bool advancedExpanded_ = false;
  long page_ = 0;
};
