#include "queue/queue_outputs.h"

#include <sys/stat.h>

#include <cerrno>

#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "foundation/uuid.h"
#include "queue/queue_run.h"
#include "ui/localisation.h"

namespace {

bool isRealFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The run's folder for unverified PDFs, made when missing; an item of that name that is not a real folder (a
// link planted there, say) is never written through.
foundation::FileResult unverifiedFolder(std::string& folder) {
  folder = foundation::appendingPathComponent(gFileRun.runFolder, kQDLQueueUnverifiedFolder);
  if (isRealFolder(folder)) return foundation::FileResult::success();
  if (foundation::itemExists(folder)) {
    return foundation::FileResult::failure(
        ENOTDIR, foundation::format("Cannot use \"%@\": %@", folder, foundation::errorText(ENOTDIR)));
  }
  return foundation::createDirectory(folder, true);
}

}  // namespace

std::string QDLQueueJoined(const std::string& message, const std::string& more) {
  return foundation::format("%@; %@", message, more);
}

std::string QDLQueueSetAsideUnverified(const std::string& path) {
  // Whatever else lies there (a link put in the file's or its folder's place) is not moved, nor reached through.
  if (!QDLQueueWrittenInRunFolder(path)) return {};
  std::string folder;
  foundation::FileResult moved = unverifiedFolder(folder);
  std::string placed = path;
  if (moved) {
    const std::string target = foundation::appendingPathComponent(
        folder, foundation::format("%@-%@", foundation::makeUuid(), foundation::lastPathComponent(path)));
    moved = foundation::moveItem(path, target);
    if (moved) placed = target;
  }
  // Hidden, it would escape the user's eye where it now lies.
  if (const foundation::HiddenResult hidden = foundation::hiddenFlag(placed); hidden && hidden.hidden) {
    static_cast<void>(foundation::setHiddenFlag(placed, false));
  }
  const std::string warning = foundation::format(
      QDLL("未完成或未校验的 PDF 已保留，勿用于交付：%@", "Unfinished or unverified PDF retained; do not deliver: %@",
           "未完成或未校驗的 PDF 已保留，勿用於交付：%@"),
      placed);
  return moved ? warning : QDLQueueJoined(warning, moved.error);
}

bool QDLQueueWrittenInRunFolder(const std::string& path) {
  const std::string& run = gFileRun.runFolder;
  const std::string folder = foundation::deletingLastPathComponent(path);
  struct stat file {};
  if (run.empty() || ::lstat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return false;
  return folder == run || (foundation::deletingLastPathComponent(folder) == run && isRealFolder(folder));
}
