#include "foundation/work_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/folders.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/processes.h"
#include "foundation/uuid.h"

namespace foundation {
namespace {

constexpr char kRecordsFolder[] = "work-items";
constexpr std::size_t kMaxRecordBytes = 16384;
constexpr char kTemporaryPrefix[] = ".quodl-tmp-";
constexpr std::size_t kTemporaryHexDigits = 16;

std::string absolute(const std::string& path) {
  if (path.empty() || isAbsolutePath(path)) return path;
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  return ec ? path : appendingPathComponent(here.string(), path);
}

// The records' folder, made private when missing. Bookkeeping goes past the file services' fault seam: it must
// not take a fault meant for the work itself.
bool recordsFolder(std::string& path) {
  const std::string runtime = runtimeDirectory();
  path = appendingPathComponent(runtime, kRecordsFolder);
  for (const std::string& folder : {runtime, path}) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (!isPrivateFolder(folder)) return false;
  }
  return true;
}

// What tells one folder from any other: its device and inode, and its birth time where the file system keeps
// one, since a folder made again in the same place can be given the inode number of the one it replaces.
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t bornSeconds = 0;
  std::uint32_t bornNanoseconds = 0;
};

std::optional<FolderIdentity> identityOf(int folder) {
  struct statx info {};
  if (::statx(folder, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &info) != 0) return std::nullopt;
  FolderIdentity identity{makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino, 0, 0};
  if ((info.stx_mask & STATX_BTIME) != 0) {
    identity.bornSeconds = info.stx_btime.tv_sec;
    identity.bornNanoseconds = info.stx_btime.tv_nsec;
  }
  return identity;
}

// The folder as the system names it, without links on the way: what a later start reaches without following any.
std::string resolvedFolder(int folder, const std::string& fallback) {
  char target[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(folder);
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0 || target[0] != '/') return fallback;
  return std::string(target, static_cast<std::size_t>(n));
}

// Removes everything in an open folder, never following a link: a link is removed, not what it points to.
void removeContents(int folder) {
  const int listed = ::dup(folder);
  if (listed < 0) return;
  DIR* dir = ::fdopendir(listed);
  if (dir == nullptr) {
    ::close(listed);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : names) {
    struct stat item {};
    if (::fstatat(folder, name.c_str(), &item, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(item.st_mode)) {
      ::unlinkat(folder, name.c_str(), 0);
      continue;
    }
    const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (inner < 0) continue;
    removeContents(inner);
    ::close(inner);
    ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
  }
}

// Removes the file or folder tree `name` in an open folder; whether it went.
bool removeIn(int folder, const std::string& name) {
  struct stat item {};
  if (::fstatat(folder, name.c_str(), &item, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(item.st_mode)) return ::unlinkat(folder, name.c_str(), 0) == 0;
  const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (inner < 0) return false;
  removeContents(inner);
  ::close(inner);
  return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

// The folder at an absolute path, opened one component at a time without following a single link; -1 when
// any component is a link, missing, or "." or "..".
int openFolderWithoutLinks(const std::string& path) {
  if (!isAbsolutePath(path)) return -1;
  int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& component : pathComponents(path)) {
    if (folder < 0) return -1;
    if (component == "/" || component.empty()) continue;
    if (component == "." || component == "..") {
      ::close(folder);
      return -1;
    }
    const int next = ::openat(folder, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(folder);
    folder = next;
  }
  return folder;
}

// A record as its writer left it: a regular file of this user, opened without following a link.
std::optional<Json> readRecord(int records, const char* name) {
  const int fd = ::openat(records, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::string text;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
      static_cast<std::size_t>(info.st_size) <= kMaxRecordBytes) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() <= kMaxRecordBytes;) {
      text.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (text.empty() || text.size() > kMaxRecordBytes) return std::nullopt;
  JsonResult parsed = parseJson(text);
  if (!parsed || !parsed.value.is_object()) return std::nullopt;
  return std::move(parsed.value);
}

// A record its writer was killed while writing ("<pid>-<UUID>.json", of this user, unreadable as a record):
// written before its item was made, it names nothing, and goes once no process of that pid runs.
bool isCutShortRecordOfEndedProcess(int records, const std::string& name) {
  const std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string::npos || name.size() != dash + 1 + 36 + 5 || !name.ends_with(".json") ||
      !isUuid(std::string_view(name).substr(dash + 1, 36))) {
    return false;
  }
  int pid = 0;
  for (std::size_t i = 0; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9' || pid > INT32_MAX / 10 - 1) return false;
    pid = pid * 10 + (name[i] - '0');
  }
  struct stat info {};
  return pid > 0 && ::fstatat(records, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
         info.st_uid == ::geteuid() && !processStillRuns(pid, std::nullopt);
}

}  // namespace

WorkItem::WorkItem(std::string path) : WorkItem(std::move(path), false) {}

WorkItem WorkItem::emptyFolder(std::string path) { return WorkItem(std::move(path), true); }

WorkItem::WorkItem(std::string path, bool onlyWhileEmpty) : path_(absolute(path)), onlyWhileEmpty_(onlyWhileEmpty) {
  if (path_.empty()) return;
  const std::string parent = deletingLastPathComponent(path_);
  folder_ = ::open(parent.empty() ? "/" : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string folder;
  const std::optional<FolderIdentity> made = folder_ < 0 ? std::nullopt : identityOf(folder_);
  if (!made || !recordsFolder(folder)) return;
  const int pid = static_cast<int>(::getpid());
  const std::optional<std::uint64_t> start = processStartTime(pid);
  if (!start) return;  // a record that cannot tell this process from a later one is never honoured
  const Json record = {{"processIdentifier", pid},
                       {"processStartTime", *start},
                       {"path", appendingPathComponent(resolvedFolder(folder_, parent), lastPathComponent(path_))},
                       {"folderDevice", made->device},
                       {"folderInode", made->inode},
                       {"folderBorn", {made->bornSeconds, made->bornNanoseconds}},
                       {"onlyWhileEmpty", onlyWhileEmpty_}};
  const JsonText text = serializeJson(record);
  const std::string at = appendingPathComponent(folder, std::to_string(pid) + "-" + makeUuid() + ".json");
  // A record cut short is not read as one and stays as it is.
  std::ofstream out(at, std::ios::binary);
  if (text && (out << text.text) && out.flush()) record_ = at;
}

WorkItem::~WorkItem() { release(); }

WorkItem::WorkItem(WorkItem&& other) noexcept
    : path_(std::exchange(other.path_, {})),
      record_(std::exchange(other.record_, {})),
      folder_(std::exchange(other.folder_, -1)),
      onlyWhileEmpty_(std::exchange(other.onlyWhileEmpty_, false)) {}

WorkItem& WorkItem::operator=(WorkItem&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::exchange(other.path_, {});
    record_ = std::exchange(other.record_, {});
    folder_ = std::exchange(other.folder_, -1);
    onlyWhileEmpty_ = std::exchange(other.onlyWhileEmpty_, false);
  }
  return *this;
}

void WorkItem::remove() {
  if (onlyWhileEmpty_) {
    if (folder_ >= 0) ::unlinkat(folder_, lastPathComponent(path_).c_str(), AT_REMOVEDIR);
  } else if (folder_ >= 0) {
    (void)removeIn(folder_, lastPathComponent(path_));
  } else if (!path_.empty() && itemExists(path_)) {
    (void)removeItem(path_);
  }
  release();
}

void WorkItem::release() {
  if (!record_.empty() && ::unlink(record_.c_str()) == 0) {
    // Nothing stays behind once no work is recorded: the folder of records, and the runtime folder when it is
    // the one made in the temporary folder (rmdir leaves either while anything is in it).
    const std::string folder = deletingLastPathComponent(record_);
    if (::rmdir(folder.c_str()) == 0 && std::getenv("XDG_RUNTIME_DIR") == nullptr) {
      ::rmdir(deletingLastPathComponent(folder).c_str());
    }
  }
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
  record_.clear();
  path_.clear();
  onlyWhileEmpty_ = false;
}

std::string workItemPath(const std::string& folder, std::string_view prefix, std::string_view suffix) {
  return appendingPathComponent(folder.empty() ? "." : folder, std::string(prefix) + makeUuid() + std::string(suffix));
}

bool isWorkItemName(std::string_view name, std::string_view prefix, std::string_view suffix) {
  constexpr std::size_t kUuidLength = 36;
  if (name.size() != prefix.size() + kUuidLength + suffix.size()) return false;
  if (name.substr(0, prefix.size()) != prefix || name.substr(name.size() - suffix.size()) != suffix) return false;
  const std::string_view uuid = name.substr(prefix.size(), kUuidLength);
  for (char c : uuid) {
    if (c >= 'a' && c <= 'z') return false;
  }
  return isUuid(uuid);
}

bool isAtomicWriteTemporaryName(std::string_view name) {
  const std::size_t prefix = sizeof kTemporaryPrefix - 1;
  if (name.size() != prefix + kTemporaryHexDigits || name.substr(0, prefix) != kTemporaryPrefix) return false;
  return std::all_of(name.begin() + prefix, name.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::vector<std::string> removeAbandonedWorkItems(const std::function<bool(std::string_view name)>& isWorkName) {
  std::vector<std::string> removed;
  const std::string folder = appendingPathComponent(runtimeDirectory(), kRecordsFolder);
  if (!isPrivateFolder(folder)) return removed;
  const int records = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (records < 0) return removed;
  std::vector<std::string> names;
  if (const int listed = ::dup(records); listed >= 0) {
    if (DIR* dir = ::fdopendir(listed)) {
      while (const dirent* entry = ::readdir(dir)) {
        if (pathExtension(entry->d_name) == "json") names.emplace_back(entry->d_name);
      }
      ::closedir(dir);
    } else {
      ::close(listed);
    }
  }
  struct Abandoned {
    std::string record;
    std::string path;
    FolderIdentity folder;
    bool onlyWhileEmpty = false;
  };
  std::vector<Abandoned> abandoned;
  std::vector<std::string> others;  // the items of records left for their own program or process
  for (const std::string& name : names) {
    const std::optional<Json> record = readRecord(records, name.c_str());
    if (!record) {
      // Anything else that is not a record of ours is left as it is.
      if (isCutShortRecordOfEndedProcess(records, name)) ::unlinkat(records, name.c_str(), 0);
      continue;
    }
    const std::optional<std::int64_t> pid = jsonInteger(*record, "processIdentifier");
    const std::optional<std::int64_t> start = jsonInteger(*record, "processStartTime");
    const std::optional<std::int64_t> device = jsonInteger(*record, "folderDevice");
    const std::optional<std::int64_t> inode = jsonInteger(*record, "folderInode");
    const Json* born = jsonMember(*record, "folderBorn");
    const std::optional<std::string> path = jsonString(*record, "path");
    if (!pid || *pid <= 0 || *pid > INT32_MAX || !start || *start < 0 || !device || !inode || !path ||
        !isAbsolutePath(*path) || born == nullptr || !born->is_array() || born->size() != 2 ||
        !jsonInteger((*born)[0]) || !jsonInteger((*born)[1])) {
      continue;
    }
    const FolderIdentity recorded{static_cast<std::uint64_t>(*device), static_cast<std::uint64_t>(*inode),
                                  *jsonInteger((*born)[0]), static_cast<std::uint32_t>(*jsonInteger((*born)[1]))};
    // Another program's names are its own to clean up; an empty folder is nobody's work but the maker's.
    const std::string item = lastPathComponent(*path);
    const bool onlyWhileEmpty = jsonBool(*record, "onlyWhileEmpty").value_or(false);
    if (processStillRuns(static_cast<int>(*pid), static_cast<std::uint64_t>(*start)) ||
        !(onlyWhileEmpty || isWorkName(item) || isAtomicWriteTemporaryName(item))) {
      others.push_back(*path);
      continue;
    }
    abandoned.push_back({name, *path, recorded, onlyWhileEmpty});
  }
  // Work files first, so that a folder they were in is empty by the time it is looked at; then folders, the
  // deepest first.
  std::stable_sort(abandoned.begin(), abandoned.end(), [](const Abandoned& a, const Abandoned& b) {
    if (a.onlyWhileEmpty != b.onlyWhileEmpty) return b.onlyWhileEmpty;
    return a.onlyWhileEmpty && a.path.size() > b.path.size();
  });
  for (const Abandoned& each : abandoned) {
    const std::string item = lastPathComponent(each.path);
    // A folder holding an item that is still recorded waits for that item's own cleaning, and so does its own.
    if (each.onlyWhileEmpty && std::any_of(others.begin(), others.end(), [&each](const std::string& other) {
          return other.starts_with(each.path + "/");
        })) {
      others.push_back(each.path);
      continue;
    }
    // Only in the folder the item was made in, reached as it was: a folder swapped for another or for a link
    // since, or a record naming any other folder, removes nothing.
    const int madeIn = openFolderWithoutLinks(deletingLastPathComponent(each.path));
    const std::optional<FolderIdentity> here = madeIn < 0 ? std::nullopt : identityOf(madeIn);
    struct stat what {};
    if (here && here->device == each.folder.device && here->inode == each.folder.inode &&
        here->bornSeconds == each.folder.bornSeconds && here->bornNanoseconds == each.folder.bornNanoseconds &&
        ::fstatat(madeIn, item.c_str(), &what, AT_SYMLINK_NOFOLLOW) == 0 && what.st_uid == ::geteuid()) {
      const bool gone = each.onlyWhileEmpty
                            ? S_ISDIR(what.st_mode) && ::unlinkat(madeIn, item.c_str(), AT_REMOVEDIR) == 0
                            : (S_ISREG(what.st_mode) || S_ISDIR(what.st_mode)) && removeIn(madeIn, item);
      if (gone) removed.push_back(each.path);
    }
    if (madeIn >= 0) ::close(madeIn);
    ::unlinkat(records, each.record.c_str(), 0);
  }
  ::close(records);
  return removed;
}

std::string namingOutput(std::string text, const std::string& workPath, const std::string& output) {
  if (workPath.empty()) return text;
  for (std::size_t at = 0; (at = text.find(workPath, at)) != std::string::npos; at += output.size()) {
    text.replace(at, workPath.size(), output);
  }
  return text;
}

WorkFile::WorkFile(std::string target, std::string_view prefix, std::string_view suffix)
    : target_(std::move(target)),
      item_(target_.empty() ? std::string() : workItemPath(deletingLastPathComponent(target_), prefix, suffix)) {}

WorkFile& WorkFile::operator=(WorkFile&& other) noexcept {
  if (this != &other) {
    target_ = std::move(other.target_);
    item_ = std::move(other.item_);
  }
  return *this;
}

FileResult WorkFile::write(std::string_view data) {
  if (empty()) return FileResult::failure(EINVAL, "No work file to write");
  const FileResult written = writeFileAtomically(path(), data, Flush::none);
  if (written) return written;
  (void)removeFile(path());
  // The user knows the output, not the work file.
  return FileResult::failure(written.code, "Cannot write \"" + target_ + "\": " + errorText(written.code));
}

FileResult WorkFile::commit() {
  if (empty()) return FileResult::failure(EINVAL, "No work file to commit");
  struct stat existing {};
  if (::lstat(target_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    const int code = S_ISDIR(existing.st_mode) ? EISDIR : EEXIST;
    return FileResult::failure(code, "Cannot replace \"" + target_ + "\": " +
                                         (code == EISDIR ? errorText(code) : std::string("it is not a regular file")));
  }
  const FileResult moved = replaceItem(target_, path());
  if (!moved) return FileResult::failure(moved.code, "Cannot replace \"" + target_ + "\": " + errorText(moved.code));
  item_.release();
  return moved;
}

FileResult WorkFile::commitWithoutReplacing(const std::string& path) {
  if (empty()) return FileResult::failure(EINVAL, "No work file to commit");
  const FileResult moved = moveItem(this->path(), path);
  if (!moved) return FileResult::failure(moved.code, "Cannot write \"" + path + "\": " + errorText(moved.code));
  item_.release();
  return moved;
}

}  // namespace foundation
