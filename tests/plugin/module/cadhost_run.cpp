#include "cadhost_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

extern char** environ;

ScratchHome::ScratchHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quodl-module-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  path_ = pattern;
}

ScratchHome::~ScratchHome() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

namespace {

void writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the program stopped reading; what it printed tells why
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const ScratchHome& home) {
  // The script goes through a file so a program that stops reading early cannot block this one.
  const std::string inputPath = home.path() + "/stdin.txt";
  {
    const int fd = open(inputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "input file");
    writeAll(fd, input);
    close(fd);
  }

  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string item = *entry;
    if (item.rfind("HOME=", 0) == 0 || item.rfind("XDG_CONFIG_HOME=", 0) == 0) continue;
    environment.push_back(item);
  }
  environment.push_back("HOME=" + home.path());
  environment.push_back("XDG_CONFIG_HOME=" + home.path() + "/.config");

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& item : environment) envp.push_back(item.data());
  envp.push_back(nullptr);

  int out[2];
  if (pipe(out) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  const pid_t child = fork();
  if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (child == 0) {
    const int in = open(inputPath.c_str(), O_RDONLY);
    if (in < 0 || chdir(home.path().c_str()) != 0) _exit(126);
    dup2(in, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(out[1], STDERR_FILENO);
    close(out[0]);
    close(out[1]);
    close(in);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out[1]);
  CadhostRun run;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

std::vector<std::string> linesOf(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}
