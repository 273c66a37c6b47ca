#include "toolkit/file_panels.h"

#include <algorithm>
#include <cctype>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "toolkit/application.h"
#include "toolkit/text_field.h"

namespace toolkit {

namespace {

SavePanel* gCurrentPanel = nullptr;

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

SavePanel::SavePanel() : prompt_("Save") {}

SavePanel::~SavePanel() {
  if (gCurrentPanel == this) gCurrentPanel = nullptr;
}

OpenPanel::OpenPanel() { setPrompt("Open"); }

SavePanel* SavePanel::current() { return gCurrentPanel; }

bool SavePanel::hasAllowedExtension(const std::string& path) const {
  if (allowedTypes_.empty()) return true;
  const std::string ext = lowered(foundation::pathExtension(path));
  return std::any_of(allowedTypes_.begin(), allowedTypes_.end(), [&](const std::string& t) { return lowered(t) == ext; });
}

std::string SavePanel::check(const std::vector<std::string>& paths, std::vector<std::string>& accepted) const {
  if (paths.size() != 1 || paths.front().empty()) return "A save panel takes exactly one path.";
  std::string path = foundation::standardizingPath(paths.front());
  const std::string parent = foundation::deletingLastPathComponent(path);
  if (!foundation::isDirectory(parent.empty() ? std::string(".") : parent)) return "The folder of \"" + path + "\" does not exist.";
  if (foundation::isDirectory(path)) return "\"" + path + "\" is a folder, not a file name.";
  if (!hasAllowedExtension(path)) path = foundation::appendingPathExtension(path, allowedTypes_.front());
  accepted = {path};
  return {};
}

std::string OpenPanel::check(const std::vector<std::string>& paths, std::vector<std::string>& accepted) const {
  if (paths.empty()) return "Nothing was chosen.";
  if (paths.size() > 1 && !multiple_) return "This panel takes only one item.";
  for (const std::string& path : paths) {
    if (!foundation::fileExists(path)) return "\"" + path + "\" does not exist.";
    if (foundation::isDirectory(path)) {
      if (!canChooseDirectories_) return "\"" + path + "\" is a folder; this panel chooses files.";
    } else {
      if (!canChooseFiles_) return "\"" + path + "\" is a file; this panel chooses folders.";
      if (!hasAllowedExtension(path)) return "\"" + path + "\" is not of a type this panel accepts.";
    }
  }
  accepted = paths;
  return {};
}

FilePanelRecord SavePanel::describe() const {
  FilePanelRecord r;
  r.isSavePanel = !isOpenPanel();
  r.title = title_;
  r.message = message_;
  r.prompt = prompt_;
  r.directory = directory_;
  r.nameFieldStringValue = name_;
  r.allowedFileTypes = allowedTypes_;
  r.canCreateDirectories = canCreateDirectories_;
  if (const auto* open = dynamic_cast<const OpenPanel*>(this)) {
    r.canChooseFiles = open->canChooseFiles_;
    r.canChooseDirectories = open->canChooseDirectories_;
    r.allowsMultipleSelection = open->multiple_;
  }
  return r;
}

std::string SavePanel::choose(const std::vector<std::string>& paths) {
  std::vector<std::string> accepted;
  std::string refusal = check(paths, accepted);
  if (!refusal.empty()) return refusal;
  chosen_ = std::move(accepted);
  Application::shared().stopModal(kModalResponseOK);
  return {};
}

void SavePanel::cancel() { Application::shared().stopModal(kModalResponseCancel); }

long SavePanel::runModal() {
  chosen_.clear();
  FilePanelRecord record = describe();
  ModalResponder& responder = ModalResponder::shared();
  std::string line = isOpenPanel() ? "Open panel" : "Save panel";
  if (!message_.empty()) line += ": " + message_;
  else if (!title_.empty()) line += ": " + title_;
  responder.announce(line);
  if (!window_) {
    window_ = std::make_shared<Panel>(Rect{0, 0, 520, 120}, window_style::titled | window_style::resizable);
    window_->setIdentifier(isOpenPanel() ? "openPanel" : "savePanel");
  }
  window_->setTitle(title_);
  auto label = TextField::wrappingLabelWithString(message_.empty() ? prompt_ : message_);
  label->setFrame({20, 60, 480, 40});
  window_->contentView()->addSubview(label);
  SavePanel* outer = gCurrentPanel;
  gCurrentPanel = this;
  long response = kModalResponseCancel;
  if (auto answer = responder.takeFilePanelAnswer()) {
    if (answer->ok) {
      std::vector<std::string> accepted;
      record.refusal = check(answer->paths, accepted);
      if (record.refusal.empty()) {
        chosen_ = std::move(accepted);
        response = kModalResponseOK;
      }
    }
  } else {
    response = Application::shared().runModalForWindow(*window_, kModalResponseCancel);
    if (response != kModalResponseOK) chosen_.clear();
  }
  label->removeFromSuperview();
  gCurrentPanel = outer;
  record.response = response;
  record.chosen = chosen_;
  if (!record.refusal.empty()) responder.announce("Refused: " + record.refusal);
  responder.recordFilePanel(std::move(record));
  return response;
}

}  // namespace toolkit
