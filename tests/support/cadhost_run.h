#pragma once
// Runs cadhost (or another program) as a separate process, the way a user runs it, and collects what it
// prints.

#include <string>
#include <utility>
#include <vector>

#include "temp_folder.h"

struct CadhostRun {
  int exitStatus = -1;  // the exit status, or -1 when it did not exit normally
  std::string output;   // standard output; standard error too, interleaved as written, unless kept apart
  std::string errors;   // standard error, when kept apart
};

// A private home folder for one test: cadhost's per-user add-ins and settings live under it.
class ScratchHome : public TempFolder {
 public:
  ScratchHome() : TempFolder("quodl-home") {}
};

struct RunOptions {
  std::string workingDirectory;  // empty: this process's own
  // Values that take the place of the inherited ones of the same names.
  std::vector<std::pair<std::string, std::string>> environment;
  bool separateErrors = false;  // standard error into CadhostRun::errors instead of the output
};

// This process's environment with the values of `options` in place of those of the same names, as NAME=VALUE.
std::vector<std::string> childEnvironment(const RunOptions& options);

// Runs `program arguments…`, feeding `input` on standard input.
CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const RunOptions& options);

// The same in `home`, with HOME there and XDG_CONFIG_HOME inside it.
CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const ScratchHome& home);
