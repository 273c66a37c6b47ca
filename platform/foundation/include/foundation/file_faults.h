#pragma once
// A test seam for the file services: makes the next calls of one kind fail with a chosen errno before they
// touch the disk, so that full, read-only or failing volumes can be exercised whoever runs the tests.

namespace foundation {

enum class FileOperation {
  open,     // opening or creating a file or folder handle
  read,
  write,
  fsync,    // flushing a file or its folder
  rename,   // every move, replace and atomic-write rename
  link,
  mkdir,
  remove,
  xattr,    // reading or writing an extended attribute
  statvfs,
};

// After letting `skip` calls of `operation` through, the next `count` fail with `error` (an errno value
// such as ENOSPC or EROFS).
void failNextFileOperation(FileOperation operation, int error, int count = 1, int skip = 0);
// Forgets every pending fault.
void clearFileFaults();

}  // namespace foundation
