#pragma once
// The real file system with failures where permissions or a busy disk would cause them (the tests run as root,
// which reads everything), and a hook that changes the tree right after a folder was read.

#include <functional>
#include <map>
#include <string>

#include "queue/queue_file_system.h"

class FaultyFileSystem : public QDLQueueFileSystem {
 public:
  // The item's status, or the folder's listing, fails with this errno.
  std::map<std::string, int> statusFailures;
  std::map<std::string, int> folderFailures;
  // Runs once a folder's entries have been read.
  std::function<void(const std::string& folder)> afterListing;

  QDLQueueItemStatus status(const std::string& path) const override;
  QDLQueueFolderListing readFolder(const std::string& path) const override;
};
