#include "cadhost_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>

extern char** environ;

namespace {

// A temporary file without a name, closed with its descriptor. Standard input and the output go through such
// files rather than pipes, so neither side can block the other however much or little it reads.
class AnonymousFile {
 public:
  AnonymousFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quodl-run-XXXXXX").string();
    fd_ = mkstemp(pattern.data());
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "mkstemp");
    unlink(pattern.c_str());
  }
  ~AnonymousFile() { close(fd_); }
  AnonymousFile(const AnonymousFile&) = delete;
  AnonymousFile& operator=(const AnonymousFile&) = delete;
  int fd() const { return fd_; }

  void write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw std::system_error(errno, std::generic_category(), "input file");
      done += static_cast<std::size_t>(n);
    }
    lseek(fd_, 0, SEEK_SET);
  }

  std::string readAll() const {
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
      const ssize_t n = pread(fd_, buffer, sizeof buffer, at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
      at += n;
    }
    return text;
  }

 private:
  int fd_ = -1;
};

// This process's environment with the values of `options` in place of those of the same names, as NAME=VALUE.
std::vector<std::string> childEnvironment(const RunOptions& options) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const bool replaced = std::any_of(options.environment.begin(), options.environment.end(), [&](const auto& item) {
      return text.size() > item.first.size() && text.starts_with(item.first) && text[item.first.size()] == '=';
    });
    if (!replaced) environment.push_back(*entry);
  }
  for (const auto& [name, value] : options.environment) environment.push_back(name + "=" + value);
  return environment;
}

}  // namespace

pid_t startProgram(const std::string& program, const std::vector<std::string>& arguments, const RunOptions& options,
                   int input, int output, int errors) {
  std::vector<std::string> environment = childEnvironment(options);
  // Everything the child needs is made before the fork: after it only system calls run.
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& item : environment) envp.push_back(item.data());
  envp.push_back(nullptr);
  const char* directory = options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();

  const pid_t child = fork();
  if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (child == 0) {
    if (directory != nullptr && chdir(directory) != 0) _exit(126);
    if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 || dup2(errors, STDERR_FILENO) < 0) {
      _exit(126);
    }
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  return child;
}

CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const RunOptions& options) {
  AnonymousFile in, out, err;
  in.write(input);

  const pid_t child =
      startProgram(program, arguments, options, in.fd(), out.fd(), options.separateErrors ? err.fd() : out.fd());
  CadhostRun run;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
  struct rusage usage {};
  for (;;) {
    const pid_t done = wait4(child, &status, WNOHANG, &usage);
    if (done == child) break;
    if (done < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
      }
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.peakKilobytes = usage.ru_maxrss;
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.output = out.readAll();
  if (options.separateErrors) run.errors = err.readAll();
  return run;
}

ScratchHome::ScratchHome() : TempFolder("quodl-home") {
  std::filesystem::create_directory(temporary());
}

CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const ScratchHome& home) {
  RunOptions options;
  options.workingDirectory = home.path();
  options.environment = {
      {"HOME", home.path()}, {"XDG_CONFIG_HOME", home.path() + "/.config"}, {"TMPDIR", home.temporary()}};
  return runProgram(program, arguments, input, options);
}
