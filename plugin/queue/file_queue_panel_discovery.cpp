// Gathering DWG files into the queue: the choosers, and the search that runs on a worker thread while the
// panel stays responsive. The queue, the folder list and the removed paths change only when a search ends well.
#include <algorithm>
#include <unordered_set>
#include <utility>

#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "queue/dwg_discovery.h"
#include "queue/file_queue_panel.h"
#include "queue/queue_file_system.h"
#include "toolkit/button.h"
#include "toolkit/file_panels.h"
#include "ui/localisation.h"

// What a search hands back to the main thread.
struct QDLQueueScanResult {
  std::string error;         // a failure's text, translated on the main thread
  bool unexplained = false;  // nothing found and no reason given
  std::vector<std::string> newPaths;
  std::vector<std::string> newFolders;
  std::vector<std::string> found;
  bool preserveRemovals = false;
};

namespace {

struct ScanRequest {
  std::vector<std::string> paths;
  std::vector<std::string> rowPaths;
  std::set<std::string> removed;
  bool recursive = false;
  bool preserveRemovals = false;
};

// On the worker: reads only its request and the file system.
QDLQueueScanResult search(const ScanRequest& request, const QDLScanToken& token, const QDLQueueFileSystem& fs) {
  QDLQueueScanResult result;
  result.preserveRemovals = request.preserveRemovals;
  const std::function<bool()> cancelled = [&token] { return token.isCancelled(); };
  std::optional<std::vector<std::string>> found =
      QDLQueueDiscover(request.paths, request.recursive, result.error, cancelled, fs);
  if (!found) {
    result.unexplained = !token.isCancelled() && result.error.empty();
    return result;
  }
  std::unordered_set<std::string> known;
  for (const std::string& path : request.rowPaths) {
    if (token.isCancelled()) return result;
    known.insert(QDLQueueFileIdentity(path, fs));
  }
  for (const std::string& path : request.removed) {
    if (token.isCancelled()) return result;
    known.insert(QDLQueueFileIdentity(path, fs));
  }
  for (const std::string& path : *found) {
    if (token.isCancelled()) return result;
    if (request.removed.count(path) != 0) continue;
    if (known.insert(QDLQueueFileIdentity(path, fs)).second) result.newPaths.push_back(path);
  }
  for (const std::string& path : request.paths) {
    const QDLQueueItemStatus status = fs.status(path);
    if (status.code == 0 && status.kind == QDLQueueItemKind::directory) {
      result.newFolders.push_back(QDLQueueCanonicalPath(path));
    }
  }
  result.found = std::move(*found);
  return result;
}

}  // namespace

void QDLFileQueuePanel::addFiles() {
  if (isBusy()) return;
  toolkit::OpenPanel chooser;
  chooser.setCanChooseFiles(true);
  chooser.setCanChooseDirectories(false);
  chooser.setAllowsMultipleSelection(true);
  chooser.setAllowedFileTypes({"dwg"});
  if (runFileChooser(chooser) == toolkit::kModalResponseOK) addURLs(chooser.URLs());
}

void QDLFileQueuePanel::addFolder() {
  if (isBusy()) return;
  toolkit::OpenPanel chooser;
  chooser.setCanChooseFiles(false);
  chooser.setCanChooseDirectories(true);
  chooser.setAllowsMultipleSelection(false);
  if (runFileChooser(chooser) == toolkit::kModalResponseOK) addURLs(chooser.URLs());
}

void QDLFileQueuePanel::addURLs(const std::vector<std::string>& paths) { scanURLs(paths, false); }

void QDLFileQueuePanel::recursiveChanged() {
  if (isBusy() || recursive_->state() != toolkit::control_state::on || folderRoots_.empty()) return;
  scanURLs(folderRoots_, true);
}

void QDLFileQueuePanel::scanURLs(const std::vector<std::string>& paths, bool preservingRemovals) {
  if (isBusy() || paths.empty()) return;
  ScanRequest request;
  request.paths = paths;
  for (const QDLQueueRow& row : items_) request.rowPaths.push_back(row->path);
  if (preservingRemovals) request.removed = removedPaths_;
  request.recursive = recursive_->state() == toolkit::control_state::on;
  request.preserveRemovals = preservingRemovals;

  auto token = std::make_shared<QDLScanToken>();
  discovery_ = token;
  updateControls();
  setStatus(QDLT("正在扫描文件，可取消；原队列保持不变。"));

  // The worker never touches the panel: its result goes to the main queue, where the panel is looked up again.
  std::weak_ptr<QDLFileQueuePanel> weak = weak_from_this();
  workers_.start(token.get(), [request = std::move(request), token, weak, owner = static_cast<const void*>(this),
                               fs = QDLQueueInstalledFileSystem()] {
    auto result = std::make_shared<QDLQueueScanResult>(search(request, *token, *fs));
    foundation::dispatchAsync(
        [weak, token, result] {
          if (const std::shared_ptr<QDLFileQueuePanel> panel = weak.lock()) panel->finishScan(token, *result);
        },
        owner);
  });
}

void QDLFileQueuePanel::finishScan(const std::shared_ptr<QDLScanToken>& token, QDLQueueScanResult& result) {
  workers_.join(token.get());
  if (discovery_ != token) return;
  discovery_.reset();
  updateControls();
  if (token->isCancelled()) {
    setStatus(QDLT("已取消扫描，原队列保持不变。"));
    return;
  }
  if (result.unexplained) result.error = "读取文件失败";
  if (!result.error.empty()) {
    setStatus(QDLT(result.error));
    return;
  }
  if (items_.size() + result.newPaths.size() > kQDLQueueMaxFiles) {
    setStatus(QDLT("队列最多 1000 个 DWG。"));
    return;
  }
  for (const std::string& folder : result.newFolders) {
    if (std::find(folderRoots_.begin(), folderRoots_.end(), folder) == folderRoots_.end()) {
      folderRoots_.push_back(folder);
    }
  }
  // An explicit add undoes an earlier removal for good.
  if (!result.preserveRemovals) {
    for (const std::string& path : result.found) removedPaths_.erase(path);
  }
  // One translation for all the rows: a large folder adds hundreds at once, on the main thread.
  const std::string pending = QDLT(qdl_queue_state::pending);
  items_.reserve(items_.size() + result.newPaths.size());
  for (const std::string& path : result.newPaths) items_.push_back(QDLQueueNewRow(path, pending));
  table_->reloadData();
  sortFiles();
  updateControls();
  showQueueCount();
}

void QDLFileQueuePanel::invalidateDiscovery() {
  if (discovery_) {
    discovery_->cancel();
    setStatus(QDLT("已取消扫描，原队列保持不变。"));
  }
  discovery_.reset();
  updateControls();
}
