#include "toolkit/running_applications.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdint>

#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/processes.h"

namespace toolkit {

namespace {

constexpr std::size_t kMaxEntryBytes = 4096;

constexpr char kEntriesFolder[] = "running-applications";

struct Entry {
  foundation::Json json;
  int pid = 0;
  std::optional<std::uint64_t> startTime;
};

// A damaged or foreign entry is nullopt: what it would say cannot be trusted.
std::optional<Entry> readEntry(const std::string& path) {
  if (foundation::pathExtension(path) != "json") return std::nullopt;
  foundation::JsonResult read = foundation::readJsonFile(path, kMaxEntryBytes);
  if (!read || !read.value.is_object()) return std::nullopt;
  const std::optional<std::int64_t> pid = foundation::jsonInteger(read.value, "processIdentifier");
  if (!pid || *pid <= 0 || *pid > INT32_MAX) return std::nullopt;
  Entry entry;
  entry.pid = static_cast<int>(*pid);
  if (const std::optional<std::int64_t> start = foundation::jsonInteger(read.value, "processStartTime")) {
    if (*start < 0) return std::nullopt;
    entry.startTime = static_cast<std::uint64_t>(*start);
  }
  entry.json = std::move(read.value);
  return entry;
}

// The entries' paths, or none when the folder is not private.
std::vector<std::string> entryPaths() {
  std::vector<std::string> paths;
  const std::string folder = foundation::appendingPathComponent(foundation::runtimeDirectory(), kEntriesFolder);
  if (!foundation::isPrivateFolder(folder)) return paths;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return paths;
  while (const dirent* item = ::readdir(dir)) paths.push_back(foundation::appendingPathComponent(folder, item->d_name));
  ::closedir(dir);
  return paths;
}

// A killed program could not take itself off the list: its entry goes when the next one starts.
void removeEndedEntries() {
  for (const std::string& path : entryPaths()) {
    const std::optional<Entry> entry = readEntry(path);
    if (entry && !foundation::processStillRuns(entry->pid, entry->startTime)) ::unlink(path.c_str());
  }
}

}  // namespace

RunningApplicationRegistration::RunningApplicationRegistration(const std::string& bundleIdentifier,
                                                               const std::string& localizedName) {
  std::string folder;
  if (const foundation::FileResult made = foundation::privateRuntimeFolder(kEntriesFolder, folder); !made) {
    error_ = made.error;
    return;
  }
  removeEndedEntries();
  const int pid = static_cast<int>(::getpid());
  foundation::Json entry = {
      {"bundleIdentifier", bundleIdentifier}, {"localizedName", localizedName}, {"processIdentifier", pid}};
  if (const std::optional<std::uint64_t> start = foundation::processStartTime(pid)) entry["processStartTime"] = *start;
  const std::string path = foundation::appendingPathComponent(folder, std::to_string(pid) + ".json");
  // The entry lives as long as the process: it is put in place whole but not waited for on the disk, which
  // would hold up every start for nothing (after a crash its process is gone and the entry is passed over).
  const foundation::JsonText text = foundation::serializeJson(entry);
  if (!text) {
    error_ = "Cannot write \"" + path + "\": " + text.error;
    return;
  }
  if (const foundation::FileResult written = foundation::writeFileAtomically(path, text.text, foundation::Flush::none);
      !written) {
    error_ = written.error;
    return;
  }
  entry_ = path;
}

RunningApplicationRegistration::~RunningApplicationRegistration() {
  if (!entry_.empty()) ::unlink(entry_.c_str());
}

std::vector<RunningApplication> registeredApplications() {
  std::vector<RunningApplication> found;
  for (const std::string& path : entryPaths()) {
    const std::optional<Entry> entry = readEntry(path);
    if (!entry || !foundation::processStillRuns(entry->pid, entry->startTime)) continue;
    RunningApplication application;
    application.bundleIdentifier = foundation::jsonString(entry->json, "bundleIdentifier");
    application.localizedName = foundation::jsonString(entry->json, "localizedName");
    application.processIdentifier = entry->pid;
    found.push_back(std::move(application));
  }
  return found;
}

}  // namespace toolkit
