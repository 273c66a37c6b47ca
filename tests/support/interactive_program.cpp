#include "interactive_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

InteractiveProgram::InteractiveProgram(const std::string& program, const std::vector<std::string>& arguments,
                                       const RunOptions& options) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::system_error(errno, std::generic_category(), "pipe");
  }
  try {
    pid_ = startProgram(program, arguments, options, in[0], out[1], out[1]);
  } catch (...) {
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    throw;
  }
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  outputFd_ = out[0];
  // A program that ends without reading its input must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
}

InteractiveProgram::~InteractiveProgram() {
  if (!exited_) kill();
  if (input_ >= 0) close(input_);
  if (outputFd_ >= 0) close(outputFd_);
}

bool InteractiveProgram::readSome(int timeoutMs) {
  pollfd p{outputFd_, POLLIN, 0};
  const int ready = poll(&p, 1, timeoutMs);
  if (ready < 0) return errno == EINTR;
  if (ready == 0) return true;
  char buffer[4096];
  const ssize_t n = read(outputFd_, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  if (n == 0) return false;
  output_.append(buffer, static_cast<std::size_t>(n));
  return true;
}

bool InteractiveProgram::waitForOutput(const std::string& text, double timeoutSeconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  for (;;) {
    if (const std::size_t at = output_.find(text, searched_); at != std::string::npos) {
      searched_ = at + text.size();
      return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readSome(static_cast<int>(std::min<long long>(left.count(), 1000)))) return false;
  }
}

void InteractiveProgram::writeLine(const std::string& line) {
  const std::string text = line + "\n";
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(input_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the program no longer reads
    done += static_cast<std::size_t>(n);
  }
}

void InteractiveProgram::closeInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

int InteractiveProgram::wait(double timeoutSeconds) {
  if (!exited_) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (readSome(1000)) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill();
        return status_;
      }
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exited_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    endSignal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return status_;
}

void InteractiveProgram::sendSignal(int signal) {
  if (!exited_) ::kill(pid_, signal);
}

void InteractiveProgram::kill() {
  if (exited_) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  exited_ = true;
  status_ = -1;
}
