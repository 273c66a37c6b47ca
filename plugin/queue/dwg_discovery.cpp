#include "queue/dwg_discovery.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>
#include <unordered_set>

#include "foundation/paths.h"
#include "foundation/transforms.h"
#include "queue/queue_file_system.h"

namespace {

bool hasDwgExtension(std::string_view name) {
  if (name.size() < 5 || name[name.size() - 4] != '.') return false;
  const std::string_view ext = name.substr(name.size() - 3);
  auto is = [](char c, char lower) { return c == lower || c == lower - 'a' + 'A'; };
  // "x/.dwg" is a hidden name, not an extension; hidden names never get here.
  return is(ext[0], 'd') && is(ext[1], 'w') && is(ext[2], 'g');
}

// This system has no packages of its own: a folder with one of the platform's bundle extensions stands for one,
// as a file browser shows it as a single item.
bool isPackageName(std::string_view name) {
  static constexpr std::array<std::string_view, 8> kExtensions{"app",  "bundle", "framework", "plugin",
                                                               "kext", "pkg",    "mpkg",      "xpc"};
  const std::string ext = foundation::caseFolded(foundation::pathExtension(name));
  return !ext.empty() && std::find(kExtensions.begin(), kExtensions.end(), ext) != kExtensions.end();
}

std::string identityText(std::uint64_t device, std::uint64_t fileNumber) {
  return std::to_string(device) + ":" + std::to_string(fileNumber);
}

class Search {
 public:
  Search(const QDLQueueFileSystem& fs, const std::function<bool()>& cancelled, std::string& error)
      : fs_(fs), cancelled_(cancelled), error_(error) {}

  bool isCancelled() {
    if (!cancelledSeen_ && cancelled_ && cancelled_()) cancelledSeen_ = true;
    return cancelledSeen_;
  }
  bool cancelledSeen() const { return cancelledSeen_; }

  // False ends the search (cancelled, failed, or over the limit).
  bool chosenItem(const std::string& path) {
    if (isCancelled()) return false;
    const QDLQueueItemStatus status = fs_.status(path);
    if (status.code != 0) return fail(status.error);
    if (status.kind == QDLQueueItemKind::symbolicLink) return true;
    if (status.kind == QDLQueueItemKind::directory) return folder(QDLQueueCanonicalPath(path));
    if (status.kind != QDLQueueItemKind::regular || !hasDwgExtension(foundation::lastPathComponent(path))) return true;
    return found(QDLQueueCanonicalPath(path), status);
  }

  void setRecursive(bool recursive) { recursive_ = recursive; }
  std::vector<std::string> takeFound() { return std::move(found_); }

 private:
  bool fail(const std::string& text) {
    error_ = text;
    return false;
  }

  // The root is canonical and no symbolic link is ever entered, so every path below it is canonical as built.
  bool folder(const std::string& root) {
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
      const std::string dir = std::move(pending.back());
      pending.pop_back();
      QDLQueueFolderListing listing = fs_.readFolder(dir);
      if (listing.code != 0) {
        if (listing.code == ENOENT && dir != root) continue;  // a subfolder removed meanwhile
        return fail(listing.error);
      }
      for (QDLQueueFolderEntry& entry : listing.entries) {
        if (isCancelled()) return false;
        if (entry.name.front() == '.') continue;  // hidden
        QDLQueueItemKind kind = entry.kind;
        // Most entries are neither folders nor drawings: their paths are never built.
        const bool candidate = kind == QDLQueueItemKind::unknown || kind == QDLQueueItemKind::directory ||
                               (kind == QDLQueueItemKind::regular && hasDwgExtension(entry.name));
        if (!candidate) continue;
        const std::string path = dir == "/" ? "/" + entry.name : dir + "/" + entry.name;
        if (kind == QDLQueueItemKind::unknown) {
          const QDLQueueItemStatus status = fs_.status(path);
          if (status.code == ENOENT) continue;
          if (status.code != 0) return fail(status.error);
          kind = status.kind;
        }
        if (kind == QDLQueueItemKind::directory) {
          if (recursive_ && !isPackageName(entry.name) && !fs_.hiddenFlag(path)) pending.push_back(path);
          continue;
        }
        if (kind != QDLQueueItemKind::regular || !hasDwgExtension(entry.name) || fs_.hiddenFlag(path)) continue;
        const QDLQueueItemStatus status = fs_.status(path);
        if (status.code == ENOENT) continue;  // removed since the folder was read
        if (status.code != 0) return fail(status.error);
        if (status.kind != QDLQueueItemKind::regular) continue;
        if (!found(path, status)) return false;
      }
    }
    return true;
  }

  bool found(const std::string& canonical, const QDLQueueItemStatus& status) {
    if (!identities_.insert(identityText(status.device, status.fileNumber)).second) return true;
    found_.push_back(canonical);
    if (found_.size() > kQDLQueueMaxFiles) return fail(kQDLQueueTooManyFiles);
    return true;
  }

  const QDLQueueFileSystem& fs_;
  const std::function<bool()>& cancelled_;
  std::string& error_;
  bool recursive_ = false;
  bool cancelledSeen_ = false;
  std::unordered_set<std::string> identities_;
  std::vector<std::string> found_;
};

}  // namespace

std::string QDLQueueCanonicalPath(const std::string& path) { return foundation::canonicalPath(path); }

std::string QDLQueueFileIdentity(const std::string& path, const QDLQueueFileSystem& fileSystem) {
  const QDLQueueItemStatus status = fileSystem.status(path);
  if (status.code != 0) return QDLQueueCanonicalPath(path);
  return identityText(status.device, status.fileNumber);
}

std::string QDLQueueFileIdentity(const std::string& path) {
  return QDLQueueFileIdentity(path, *QDLQueueInstalledFileSystem());
}

std::optional<std::vector<std::string>> QDLQueueDiscover(const std::vector<std::string>& paths, bool recursive,
                                                         std::string& error, const std::function<bool()>& cancelled,
                                                         const QDLQueueFileSystem& fileSystem) {
  error.clear();
  Search search(fileSystem, cancelled, error);
  search.setRecursive(recursive);
  for (const std::string& path : paths) {
    if (!search.chosenItem(path)) break;
  }
  if (search.cancelledSeen() || search.isCancelled()) {
    error.clear();
    return std::nullopt;
  }
  if (!error.empty()) return std::nullopt;
  std::vector<std::string> found = search.takeFound();
  std::sort(found.begin(), found.end());
  return found;
}

std::optional<std::vector<std::string>> QDLQueueDiscover(const std::vector<std::string>& paths, bool recursive,
                                                         std::string& error, const std::function<bool()>& cancelled) {
  return QDLQueueDiscover(paths, recursive, error, cancelled, *QDLQueueInstalledFileSystem());
}
