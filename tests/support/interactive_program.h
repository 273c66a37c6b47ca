#pragma once
// A program run as a separate process that a test talks to while it runs: it writes lines to the program's
// standard input and waits for what the program prints, as a person at a terminal would.

#include <string>
#include <vector>

#include "cadhost_run.h"

class InteractiveProgram {
 public:
  // Starts `program arguments…` with standard output and standard error into one stream; throws when it cannot.
  InteractiveProgram(const std::string& program, const std::vector<std::string>& arguments, const RunOptions& options);
  // Kills the program if it still runs.
  ~InteractiveProgram();
  InteractiveProgram(const InteractiveProgram&) = delete;
  InteractiveProgram& operator=(const InteractiveProgram&) = delete;

  // Waits until the output, from where the last successful wait ended, holds `text`; false when the program
  // ended or the time ran out first.
  bool waitForOutput(const std::string& text, double timeoutSeconds = 120);
  void writeLine(const std::string& line);
  void closeInput();
  // Waits for the end; the exit status, or -1 when the program did not exit normally or in time (it is then
  // killed).
  int wait(double timeoutSeconds = 120);
  // Ends the program at once, as a crash would (SIGKILL), and collects it.
  void kill();
  // Sends a signal, as a user or the system ending the program would; wait() collects it.
  void sendSignal(int signal);
  // The signal that ended the program, once wait() saw it end; 0 when it exited.
  int endSignal() const { return endSignal_; }
  int processIdentifier() const { return pid_; }
  // Everything printed so far.
  const std::string& output() const { return output_; }

 private:
  // Reads what is there, waiting up to `timeoutMs`; false at the end of the output.
  bool readSome(int timeoutMs);

  int pid_ = -1;
  int input_ = -1;
  int outputFd_ = -1;
  std::string output_;
  std::size_t searched_ = 0;
  bool exited_ = false;
  int status_ = -1;
  int endSignal_ = 0;
};
