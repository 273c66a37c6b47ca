#pragma once
// The one way a finished PDF takes its place under its output name, in every mode: split and merged jobs,
// isolated pages and their merge, the compact export, the queue and the preview. Main thread.

#include <sys/types.h>

#include <functional>
#include <string>

#include "foundation/work_file.h"

// Remembers that the user agreed to replace the file now at `path`: that very file, not one put there later.
// Anything else at the path (or nothing) forgets an earlier agreement.
void vexBatchAgreeToReplace(const std::string& path);

// Puts the finished work file in place. Nothing is replaced unless the user agreed to replace the very file at
// the target, and never a read-only one: otherwise the work file takes the target's name only while it is free,
// else the next free "name-2.pdf", "name-3.pdf" …, each in one no-replace rename, so that a file put there
// meanwhile (by another host too) stays. On success `committed` is the path written; on failure the reason
// names the output and the work file stays for its owner to remove.
[[nodiscard]] foundation::FileResult vexBatchCommitOutput(foundation::WorkFile& work, std::string& committed);

// Told, before each rename of vexBatchCommitOutput, the work file's target, the name it is about to take and the
// work file itself, so that a record written then lets a resume after a kill know whether that rename happened.
using VexBatchCommitWatcher =
    std::function<void(const std::string& target, const std::string& path, dev_t device, ino_t inode)>;

// Watches the commits made while it lives; one at a time.
class VexBatchCommitWatch {
 public:
  explicit VexBatchCommitWatch(VexBatchCommitWatcher watcher);
  ~VexBatchCommitWatch();
  VexBatchCommitWatch(const VexBatchCommitWatch&) = delete;
  VexBatchCommitWatch& operator=(const VexBatchCommitWatch&) = delete;
};
