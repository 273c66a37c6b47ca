#include "toolkit/running_applications.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <sstream>

#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/json.h"
#include "foundation/paths.h"

namespace toolkit {

namespace {

constexpr std::size_t kMaxEntryBytes = 4096;

std::string entriesFolder() {
  return foundation::appendingPathComponent(foundation::runtimeDirectory(), "running-applications");
}

// Only a real folder of this user is read or written: in a shared temporary folder anyone could have made it.
bool isPrivateFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & 077) == 0;
}

struct ProcessState {
  char state = 0;
  std::uint64_t startTime = 0;  // clock ticks after boot; with the pid it names one process for good
};

// From /proc/PID/stat; nullopt when there is no such process.
std::optional<ProcessState> processState(int pid) {
  const foundation::ReadResult read = foundation::readFile("/proc/" + std::to_string(pid) + "/stat", 4096);
  if (!read) return std::nullopt;
  // The command name in parentheses may hold blanks and parentheses: the fields follow its last ')'.
  const std::size_t close = read.data.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(read.data.substr(close + 1));
  ProcessState process;
  fields >> process.state;
  std::string skipped;
  for (int field = 4; field < 22 && fields; ++field) fields >> skipped;  // ppid … itrealvalue
  fields >> process.startTime;
  if (!fields) return std::nullopt;
  return process;
}

bool stillRuns(int pid, std::optional<std::uint64_t> startTime) {
  if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) return false;
  const std::optional<ProcessState> process = processState(pid);
  if (!process) return !startTime;
  // A zombie has ended; another start time means the pid was given to a new process since.
  if (process->state == 'Z') return false;
  return !startTime || *startTime == process->startTime;
}

}  // namespace

RunningApplicationRegistration::RunningApplicationRegistration(const std::string& bundleIdentifier,
                                                               const std::string& localizedName) {
  const std::string runtime = foundation::runtimeDirectory();
  const std::string folder = entriesFolder();
  for (const std::string& path : {runtime, folder}) {
    if (const foundation::FileResult made = foundation::createDirectory(path, true, 0700); !made) {
      error_ = made.error;
      return;
    }
    if (!isPrivateFolder(path)) {
      error_ = "\"" + path + "\" is not a private folder of this user.";
      return;
    }
  }
  const int pid = static_cast<int>(::getpid());
  foundation::Json entry = {
      {"bundleIdentifier", bundleIdentifier}, {"localizedName", localizedName}, {"processIdentifier", pid}};
  if (const std::optional<ProcessState> self = processState(pid)) entry["processStartTime"] = self->startTime;
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
  const std::string folder = entriesFolder();
  if (!isPrivateFolder(folder)) return found;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return found;
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (foundation::pathExtension(name) != "json") continue;
    const std::string path = foundation::appendingPathComponent(folder, name);
    // A damaged or foreign entry is skipped: what it would say cannot be trusted.
    const foundation::JsonResult read = foundation::readJsonFile(path, kMaxEntryBytes);
    if (!read || !read.value.is_object()) continue;
    const std::optional<std::int64_t> pid = foundation::jsonInteger(read.value, "processIdentifier");
    if (!pid || *pid <= 0 || *pid > INT32_MAX) continue;
    std::optional<std::uint64_t> startTime;
    if (const std::optional<std::int64_t> start = foundation::jsonInteger(read.value, "processStartTime")) {
      if (*start < 0) continue;
      startTime = static_cast<std::uint64_t>(*start);
    }
    if (!stillRuns(static_cast<int>(*pid), startTime)) continue;
    RunningApplication application;
    application.bundleIdentifier = foundation::jsonString(read.value, "bundleIdentifier");
    application.localizedName = foundation::jsonString(read.value, "localizedName");
    application.processIdentifier = static_cast<int>(*pid);
    found.push_back(std::move(application));
  }
  ::closedir(dir);
  return found;
}

}  // namespace toolkit
