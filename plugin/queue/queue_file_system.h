#pragma once
// What discovery reads of the file system, behind one seam: an item's own status (a final symbolic link not
// followed), a folder's entries and the hidden flag. The real one asks the system; tests install one that fails
// where permissions would, since the tests run as root. Safe to use from any thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class QDLQueueItemKind { regular, directory, symbolicLink, other, unknown };

struct QDLQueueItemStatus {
  int code = 0;       // the errno of a failure, 0 when read
  std::string error;  // e.g. `Cannot read "/a/b.dwg": Permission denied`
  QDLQueueItemKind kind = QDLQueueItemKind::unknown;
  std::uint64_t device = 0;
  std::uint64_t fileNumber = 0;
};

struct QDLQueueFolderEntry {
  std::string name;
  QDLQueueItemKind kind = QDLQueueItemKind::unknown;  // unknown when the folder does not tell
};

struct QDLQueueFolderListing {
  int code = 0;
  std::string error;
  std::vector<QDLQueueFolderEntry> entries;  // without "." and ".."
};

class QDLQueueFileSystem {
 public:
  virtual ~QDLQueueFileSystem() = default;
  virtual QDLQueueItemStatus status(const std::string& path) const;
  virtual QDLQueueFolderListing readFolder(const std::string& path) const;
  virtual bool hiddenFlag(const std::string& path) const;
};

// The installed file system; the real one unless a test installed another (nullptr puts the real one back).
std::shared_ptr<const QDLQueueFileSystem> QDLQueueInstalledFileSystem();
void QDLQueueInstallFileSystem(std::shared_ptr<const QDLQueueFileSystem> fileSystem);
