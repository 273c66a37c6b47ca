// Opening the large generated drawing as a user does: a fresh cadhost process for every run, its start-up
// without a drawing subtracted, beside `cat FILE >/dev/null` of the same file. Prints the rate, the peak memory
// of the process (against the file's size) and the share of the open spent in the kernel. Best of several
// runs: the machine is shared, and other work can only slow a run.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "large_dxf_writer.h"

namespace {

struct Run {
  double seconds = 0;        // wall clock, start to exit
  double userSeconds = 0;    // processor time in the program
  double systemSeconds = 0;  // processor time in the kernel on its behalf
  long peakBytes = 0;        // the process's peak resident memory
  bool ok = false;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs the program with `input` on its standard input and its output thrown away.
Run runProcess(const std::vector<std::string>& command, const std::string& input) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return {};
  if (child == 0) {
    dup2(pipeFds[0], STDIN_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[0]);
  if (!input.empty() && write(pipeFds[1], input.data(), input.size()) < 0) std::perror("write");
  close(pipeFds[1]);
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
  }
  Run run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.userSeconds = seconds(usage.ru_utime);
  run.systemSeconds = seconds(usage.ru_stime);
  run.peakBytes = usage.ru_maxrss * 1024;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// The run of least wall-clock time among `count`.
Run best(int count, const std::vector<std::string>& command, const std::string& input) {
  Run fastest;
  for (int i = 0; i < count; ++i) {
    const Run run = runProcess(command, input);
    if (!run.ok) return run;
    if (i == 0 || run.seconds < fastest.seconds) fastest = run;
  }
  return fastest;
}

}  // namespace

// bench_cadhost_open [CADHOST [RUNS [KEEP.dxf]]]: KEEP.dxf keeps the drawing there, for a profiler.
int main(int argc, char** argv) {
  const std::string cadhost = argc > 1 ? argv[1] : CADHOST_PROGRAM;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  const auto folder = std::filesystem::temp_directory_path() / ("quodl-bench-cadhost-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = argc > 3 ? std::string(argv[3]) : (folder / "large-plan.dxf").string();
  constexpr std::uintmax_t kMinimum = 52ull * 1000 * 1000;
  const std::uintmax_t bytes = writeLargeDxf(path, kMinimum);
  if (bytes < kMinimum) {
    std::fprintf(stderr, "could not write the drawing to %s\n", path.c_str());
    std::filesystem::remove_all(folder);
    return 1;
  }
  const double megabytes = static_cast<double>(bytes) / 1e6;
  std::printf("drawing %s, %.1f MB; each figure the best of %d fresh processes\n", path.c_str(), megabytes, runs);

  const Run cat = best(runs, {"/bin/sh", "-c", "cat \"$0\" >/dev/null", path}, "");
  const Run idle = best(runs, {cadhost, "--no-autoload"}, "QUIT\n");
  const Run open = best(runs, {cadhost, "--no-autoload", path}, "QUIT\n");
  std::filesystem::remove_all(folder);
  if (!cat.ok || !idle.ok || !open.ok) {
    std::fprintf(stderr, "a run failed (cat %d, start-up %d, open %d)\n", cat.ok, idle.ok, open.ok);
    return 1;
  }
  const double openSeconds = open.seconds - idle.seconds;
  const double openSystem = open.systemSeconds - idle.systemSeconds;
  const double openUser = open.userSeconds - idle.userSeconds;
  std::printf("cat FILE >/dev/null       %8.1f MB/s  (%.0f ms)\n", megabytes / cat.seconds, cat.seconds * 1e3);
  std::printf("cadhost start-up alone              (%.0f ms, peak %.1f MB)\n", idle.seconds * 1e3,
              static_cast<double>(idle.peakBytes) / 1e6);
  std::printf("cadhost opening it        %8.1f MB/s  (%.0f ms beyond start-up; %.0f ms in all)\n",
              megabytes / openSeconds, openSeconds * 1e3, open.seconds * 1e3);
  std::printf("  in the program %.0f ms, in the kernel %.0f ms: the kernel's share %.0f %%\n", openUser * 1e3,
              openSystem * 1e3, 100 * openSystem / std::max(1e-9, openUser + openSystem));
  std::printf("peak memory of the process %7.1f MB  %.2f times the file\n", static_cast<double>(open.peakBytes) / 1e6,
              static_cast<double>(open.peakBytes) / static_cast<double>(bytes));
  return 0;
}
