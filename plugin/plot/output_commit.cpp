#include "plot/output_commit.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

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

}  // namespace

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
    foundation::FileResult replaced = work.commit();
    if (replaced) committed = target;
    return replaced;
  }
  for (int n = 1;; ++n) {
    const std::string path = n == 1 ? target
                             : n <= kVexBatchLastNumberedPath
                                 ? vexBatchNumberedOutputPath(target, std::to_string(n))
                                 : vexBatchNumberedOutputPath(target, foundation::makeUuid());
    foundation::FileResult moved = work.commitWithoutReplacing(path);
    if (moved) {
      committed = path;
      return moved;
    }
    if (moved.code != EEXIST || n > kVexBatchLastNumberedPath) return moved;
  }
}
