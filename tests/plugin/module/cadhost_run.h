#pragma once
// Runs cadhost as a separate program, the way a user runs it, and collects what it prints.

#include <string>
#include <vector>

struct CadhostRun {
  int exitStatus = -1;  // the exit status, or -1 when it did not exit normally
  std::string output;   // standard output and standard error, interleaved as written
};

// A private home folder for one test: cadhost's per-user add-ins and settings live under it.
class ScratchHome {
 public:
  ScratchHome();
  ~ScratchHome();
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs `program arguments…` with HOME and XDG_CONFIG_HOME inside `home`, feeding `input` on standard input.
CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const ScratchHome& home);

// The lines of the output, without their line ends.
std::vector<std::string> linesOf(const std::string& output);
