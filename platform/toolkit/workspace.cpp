#include "toolkit/workspace.h"

#include "foundation/files.h"
#include "foundation/main_queue.h"

namespace toolkit {

namespace {

constexpr std::string_view kFileScheme = "file://";

// A file:// address or a plain path gives the path; other addresses nullopt.
std::optional<std::string> localPath(const std::string& url) {
  if (url.rfind(kFileScheme, 0) == 0) return url.substr(kFileScheme.size());
  if (url.find("://") != std::string::npos || url.rfind("mailto:", 0) == 0) return std::nullopt;
  return url;
}

}  // namespace

Workspace& Workspace::shared() {
  static auto* workspace = new Workspace;
  return *workspace;
}

bool Workspace::openURL(const std::string& url) {
  WorkspaceRecord record;
  const std::optional<std::string> path = localPath(url);
  record.targets = {path.value_or(url)};
  if (!path) {
    record.kind = WorkspaceRecord::Kind::openAddress;
    record.succeeded = !url.empty();
    if (url.empty()) record.error = "The address is empty.";
  } else {
    record.kind = foundation::isDirectory(*path) ? WorkspaceRecord::Kind::openFolder : WorkspaceRecord::Kind::openFile;
    record.succeeded = foundation::fileExists(*path);
    if (!record.succeeded) record.error = "The file \"" + *path + "\" couldn't be opened because there is no such file.";
  }
  if (record.succeeded && failure_) {
    record.succeeded = false;
    record.error = *failure_;
  }
  records_.push_back(record);
  return record.succeeded;
}

void Workspace::openApplication(const std::string& path,
                                std::function<void(std::optional<std::string> error)> completion) {
  WorkspaceRecord record;
  record.kind = WorkspaceRecord::Kind::openApplication;
  record.targets = {path};
  record.succeeded = foundation::fileExists(path) && !failure_;
  if (!record.succeeded) {
    record.error = failure_ ? *failure_ : "The application \"" + path + "\" can't be opened.";
  }
  records_.push_back(record);
  if (!completion) return;
  std::optional<std::string> error;
  if (!record.succeeded) error = record.error;
  foundation::dispatchAsync([completion = std::move(completion), error] { completion(error); });
}

void Workspace::activateFileViewerSelectingURLs(const std::vector<std::string>& paths) {
  WorkspaceRecord record;
  record.kind = WorkspaceRecord::Kind::revealInFileViewer;
  for (const std::string& url : paths) record.targets.push_back(localPath(url).value_or(url));
  record.succeeded = !failure_;
  if (failure_) record.error = *failure_;
  records_.push_back(record);
}

void Workspace::reset() {
  records_.clear();
  failure_.reset();
}

}  // namespace toolkit
