#include "foundation/processes.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <string>

namespace foundation {
namespace {

struct ProcessState {
  char state = 0;
  std::uint64_t startTime = 0;
};

// From /proc/PID/stat; nullopt when there is no such process.
std::optional<ProcessState> processState(int pid) {
  if (pid <= 0) return std::nullopt;
  // Read past the file services' fault seam: asking after a process is bookkeeping, not the work under test.
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (n <= 0) return std::nullopt;
  const std::string data(buffer, static_cast<std::size_t>(n));
  // The command name in parentheses may hold blanks and parentheses: the fields follow its last ')'.
  const std::size_t close = data.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(data.substr(close + 1));
  ProcessState process;
  fields >> process.state;
  std::string skipped;
  for (int field = 4; field < 22 && fields; ++field) fields >> skipped;  // ppid … itrealvalue
  fields >> process.startTime;
  if (!fields) return std::nullopt;
  return process;
}

}  // namespace

std::optional<std::uint64_t> processStartTime(int pid) {
  const std::optional<ProcessState> process = processState(pid);
  if (!process) return std::nullopt;
  return process->startTime;
}

bool processStillRuns(int pid, std::optional<std::uint64_t> startTime) {
  if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) return false;
  const std::optional<ProcessState> process = processState(pid);
  if (!process) return !startTime;
  if (process->state == 'Z') return false;
  return !startTime || *startTime == process->startTime;
}

}  // namespace foundation
