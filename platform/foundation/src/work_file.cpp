#include "foundation/work_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "foundation/folders.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/processes.h"
#include "foundation/uuid.h"

namespace foundation {
namespace {

constexpr char kRecordsFolder[] = "work-items";
constexpr std::size_t kMaxRecordBytes = 16384;

std::string absolute(const std::string& path) {
  if (path.empty() || isAbsolutePath(path)) return path;
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  return ec ? path : appendingPathComponent(here.string(), path);
}

void removeIfPresent(const std::string& path) {
  if (!path.empty() && itemExists(path)) (void)removeItem(path);
}

}  // namespace

WorkItem::WorkItem(std::string path) : path_(absolute(path)) {
  if (path_.empty()) return;
  std::string folder;
  if (!privateRuntimeFolder(kRecordsFolder, folder)) return;
  const int pid = static_cast<int>(::getpid());
  Json record = {{"processIdentifier", pid}, {"path", path_}};
  if (const std::optional<std::uint64_t> start = processStartTime(pid)) record["processStartTime"] = *start;
  const JsonText text = serializeJson(record);
  const std::string at = appendingPathComponent(folder, std::to_string(pid) + "-" + makeUuid() + ".json");
  // Written straight, past the file services' fault seam: bookkeeping must not take a fault meant for the file
  // itself. A record cut short is not read as one and stays as it is.
  std::ofstream out(at, std::ios::binary);
  if (text && (out << text.text) && out.flush()) record_ = at;
}

WorkItem::~WorkItem() { release(); }

WorkItem::WorkItem(WorkItem&& other) noexcept
    : path_(std::exchange(other.path_, {})), record_(std::exchange(other.record_, {})) {}

WorkItem& WorkItem::operator=(WorkItem&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::exchange(other.path_, {});
    record_ = std::exchange(other.record_, {});
  }
  return *this;
}

void WorkItem::remove() {
  removeIfPresent(path_);
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
  record_.clear();
  path_.clear();
}

std::string workItemPath(const std::string& folder, std::string_view prefix, std::string_view suffix) {
  return appendingPathComponent(folder.empty() ? "." : folder,
                                std::string(prefix) + makeUuid() + std::string(suffix));
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

std::vector<std::string> removeAbandonedWorkItems(const std::function<bool(std::string_view name)>& isWorkName) {
  std::vector<std::string> removed;
  const std::string folder = appendingPathComponent(runtimeDirectory(), kRecordsFolder);
  if (!isPrivateFolder(folder)) return removed;
  std::vector<std::string> records;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      if (pathExtension(entry->d_name) == "json") records.push_back(appendingPathComponent(folder, entry->d_name));
    }
    ::closedir(dir);
  }
  for (const std::string& record : records) {
    const JsonResult read = readJsonFile(record, kMaxRecordBytes);
    if (!read || !read.value.is_object()) continue;  // not a record of ours: left as it is
    const std::optional<std::int64_t> pid = jsonInteger(read.value, "processIdentifier");
    const std::optional<std::int64_t> start = jsonInteger(read.value, "processStartTime");
    const std::optional<std::string> path = jsonString(read.value, "path");
    if (!pid || *pid <= 0 || *pid > INT32_MAX || !path || !isAbsolutePath(*path) || (start && *start < 0)) continue;
    const std::optional<std::uint64_t> startTime =
        start ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(*start)) : std::nullopt;
    // Another program's names are its own to clean up.
    if (processStillRuns(static_cast<int>(*pid), startTime) || !isWorkName(lastPathComponent(*path))) continue;
    if (itemExists(*path) && removeItem(*path)) removed.push_back(*path);
    ::unlink(record.c_str());
  }
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

}  // namespace foundation
