#pragma once
// Open and save panels, shown modally and answered as ModalResponder says. A choice is checked as the panel
// would let a person make it: an open panel takes only existing items of the kinds it allows (and one unless
// several are allowed); a save panel takes a name in an existing folder and adds the first allowed extension
// to a name that has none of them. A choice refused answers Cancel and is recorded with the reason.

#include <memory>
#include <string>
#include <vector>

#include "toolkit/modal_responder.h"
#include "toolkit/window.h"

namespace toolkit {

inline constexpr long kModalResponseOK = 1;
inline constexpr long kModalResponseCancel = 0;

class SavePanel {
 public:
  SavePanel();
  virtual ~SavePanel();
  SavePanel(const SavePanel&) = delete;
  SavePanel& operator=(const SavePanel&) = delete;

  const std::string& title() const { return title_; }
  void setTitle(const std::string& text) { title_ = text; }
  const std::string& message() const { return message_; }
  void setMessage(const std::string& text) { message_ = text; }
  const std::string& prompt() const { return prompt_; }
  void setPrompt(const std::string& text) { prompt_ = text; }
  const std::string& directoryURL() const { return directory_; }
  void setDirectoryURL(const std::string& path) { directory_ = path; }
  const std::string& nameFieldStringValue() const { return name_; }
  void setNameFieldStringValue(const std::string& name) { name_ = name; }
  // Extensions without the dot; empty allows any.
  const std::vector<std::string>& allowedFileTypes() const { return allowedTypes_; }
  void setAllowedFileTypes(std::vector<std::string> types) { allowedTypes_ = std::move(types); }
  bool canCreateDirectories() const { return canCreateDirectories_; }
  void setCanCreateDirectories(bool on) { canCreateDirectories_ = on; }

  // The chosen path after OK; empty otherwise.
  std::string URL() const { return chosen_.empty() ? std::string() : chosen_.front(); }
  const std::vector<std::string>& URLs() const { return chosen_; }

  // kModalResponseOK or kModalResponseCancel.
  long runModal();
  // The panel being shown modally, or nullptr.
  static SavePanel* current();
  // A person's choice while the panel shows: empty when taken (the panel then closes with OK), else the reason
  // it was refused (the panel stays).
  std::string choose(const std::vector<std::string>& paths);
  void cancel();

 protected:
  virtual bool isOpenPanel() const { return false; }
  // The paths the panel returns for the choice, or the reason it refuses it.
  virtual std::string check(const std::vector<std::string>& paths, std::vector<std::string>& accepted) const;
  bool hasAllowedExtension(const std::string& path) const;

 private:
  FilePanelRecord describe() const;
  std::string title_, message_, prompt_, directory_, name_;
  std::vector<std::string> allowedTypes_;
  bool canCreateDirectories_ = true;
  std::vector<std::string> chosen_;
  std::shared_ptr<Panel> window_;
};

class OpenPanel : public SavePanel {
 public:
  OpenPanel();
  bool canChooseFiles() const { return canChooseFiles_; }
  void setCanChooseFiles(bool on) { canChooseFiles_ = on; }
  bool canChooseDirectories() const { return canChooseDirectories_; }
  void setCanChooseDirectories(bool on) { canChooseDirectories_ = on; }
  bool allowsMultipleSelection() const { return multiple_; }
  void setAllowsMultipleSelection(bool on) { multiple_ = on; }

 protected:
  bool isOpenPanel() const override { return true; }
  std::string check(const std::vector<std::string>& paths, std::vector<std::string>& accepted) const override;

 private:
  friend class SavePanel;
  bool canChooseFiles_ = true;
  bool canChooseDirectories_ = false;
  bool multiple_ = false;
};

}  // namespace toolkit
