#pragma once
// The workspace: opening files, folders, addresses and applications, and showing items in the file viewer.
// Headless, nothing is launched: every request is recorded, and tests (or scripts) can make requests fail.
// The list of running applications is real: see running_applications.h.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/running_applications.h"

namespace toolkit {

struct WorkspaceRecord {
  enum class Kind { openFile, openFolder, openAddress, openApplication, revealInFileViewer };
  Kind kind = Kind::openFile;
  std::vector<std::string> targets;  // paths, or the address
  bool succeeded = false;
  std::string error;
};

class Workspace {
 public:
  static Workspace& shared();

  // A path (or file:// address) of a file or folder, or any other address. False when the file or folder does
  // not exist or a failure is set.
  bool openURL(const std::string& url);
  // Completion: nullopt on success, else the error's description. It runs later on the main queue, never before
  // the call returns. An application path that does not exist fails.
  void openApplication(const std::string& path, std::function<void(std::optional<std::string> error)> completion);
  // Shows the items selected in the file viewer.
  void activateFileViewerSelectingURLs(const std::vector<std::string>& paths);
  // The applications running now, the registered ones of running_applications.h. Not recorded.
  std::vector<RunningApplication> runningApplications() const { return registeredApplications(); }

  const std::vector<WorkspaceRecord>& records() const { return records_; }
  // While set, every request fails with this description; nullopt lets them succeed again.
  void setFailure(std::optional<std::string> description) { failure_ = std::move(description); }
  void reset();

 private:
  std::vector<WorkspaceRecord> records_;
  std::optional<std::string> failure_;
};

}  // namespace toolkit
