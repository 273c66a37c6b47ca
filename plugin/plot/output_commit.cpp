#include "plot/output_commit.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "core/call_trace.h"
#include "foundation/uuid.h"
#include "plot/output_naming.h"

namespace {

struct Agreement {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
};

Agreement& agreement() {
  static Agreement agreed;
  return agreed;
}

// Whether the agreement names the regular file at `path` now; it is used up either way.
bool agreedFile(const std::string& path, struct stat& file) {
  if (agreement().path.empty() || agreement().path != path) return false;
  const Agreement agreed = std::exchange(agreement(), {});
  return ::lstat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && file.st_dev == agreed.device &&
         file.st_ino == agreed.inode;
}

VexBatchCommitWatcher& watcher() {
  static VexBatchCommitWatcher watching;
  return watching;
}

// Tells the watcher which name the work file is about to take (nothing when the work file is gone: the rename
// then fails).
void announce(const foundation::WorkFile& work, const std::string& path) {
  struct stat file {};
  if (watcher() && ::lstat(work.path().c_str(), &file) == 0) watcher()(work.target(), path, file.st_dev, file.st_ino);
}

foundation::FileResult committedAs(foundation::FileResult result, std::string& committed, const std::string& path) {
  if (!result) return result;
  committed = path;
  quodlTraceCall("output committed");
  return result;
}

}  // namespace

VexBatchCommitWatch::VexBatchCommitWatch(VexBatchCommitWatcher watcher) { ::watcher() = std::move(watcher); }

VexBatchCommitWatch::~VexBatchCommitWatch() { ::watcher() = nullptr; }

void vexBatchAgreeToReplace(const std::string& path) {
  struct stat file {};
  if (::lstat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
    agreement() = {};
    return;
  }
  agreement() = {path, file.st_dev, file.st_ino};
}

foundation::FileResult vexBatchCommitOutput(foundation::WorkFile& work, std::string& committed) {
  const std::string target = work.target();
  struct stat file {};
  if (agreedFile(target, file)) {
    // Even with the user's agreement: a read-only file was made so that it stays.
    if ((file.st_mode & 0222) == 0) {
      return foundation::FileResult::failure(EACCES, "Cannot replace \"" + target + "\": the file is read-only");
    }
    announce(work, target);
    return committedAs(work.commit(), committed, target);
  }
  for (int n = 1;; ++n) {
    const std::string path = n == 1 ? target
                             : n <= kVexBatchLastNumberedPath
                                 ? vexBatchNumberedOutputPath(target, std::to_string(n))
                                 : vexBatchNumberedOutputPath(target, foundation::makeUuid());
    announce(work, path);
    foundation::FileResult moved = committedAs(work.commitWithoutReplacing(path), committed, path);
    if (moved) return moved;
    if (moved.code != EEXIST || n > kVexBatchLastNumberedPath) return moved;
  }
}
