#include "faulty_file_system.h"

#include <cstring>

QDLQueueItemStatus FaultyFileSystem::status(const std::string& path) const {
  if (const auto it = statusFailures.find(path); it != statusFailures.end()) {
    QDLQueueItemStatus failed;
    failed.code = it->second;
    failed.error = "Cannot read \"" + path + "\": " + std::strerror(it->second);
    return failed;
  }
  return QDLQueueFileSystem::status(path);
}

QDLQueueFolderListing FaultyFileSystem::readFolder(const std::string& path) const {
  if (const auto it = folderFailures.find(path); it != folderFailures.end()) {
    QDLQueueFolderListing failed;
    failed.code = it->second;
    failed.error = "Cannot read \"" + path + "\": " + std::strerror(it->second);
    return failed;
  }
  QDLQueueFolderListing listing = QDLQueueFileSystem::readFolder(path);
  if (afterListing) afterListing(path);
  return listing;
}
