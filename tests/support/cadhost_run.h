#pragma once
// Runs cadhost (or another program) as a separate process, the way a user runs it, and collects what it
// prints.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "temp_folder.h"

struct CadhostRun {
  int exitStatus = -1;    // the exit status, or -1 when it did not exit normally
  int signal = 0;         // the signal that ended it, if one did
  bool timedOut = false;  // it ran past the time limit and was killed
  std::string output;     // standard output; standard error too, interleaved as written, unless kept apart
  std::string errors;     // standard error, when kept apart
  long peakKilobytes = 0; // its peak resident memory
};

// A private home folder for one test: cadhost's per-user add-ins and settings live under it, and its temporary
// folder is "tmp" inside it, so that what a run leaves in the temporary folder is the test's alone.
class ScratchHome : public TempFolder {
 public:
  ScratchHome();
  std::string temporary() const { return *this / "tmp"; }
};

struct RunOptions {
  std::string workingDirectory;  // empty: this process's own
  // Values that take the place of the inherited ones of the same names.
  std::vector<std::pair<std::string, std::string>> environment;
  bool separateErrors = false;  // standard error into CadhostRun::errors instead of the output
  // No input may hang a test: past this the program is killed. Generous, for sanitizer builds on a busy machine.
  std::chrono::milliseconds timeLimit{std::chrono::seconds(300)};
};

// Starts `program arguments…` as the options say, its standard streams on the given descriptors; its process id.
pid_t startProgram(const std::string& program, const std::vector<std::string>& arguments, const RunOptions& options,
                   int input, int output, int errors);

// Runs `program arguments…`, feeding `input` on standard input, for at most the options' time limit.
CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const RunOptions& options);

// The same in `home`, with HOME there and XDG_CONFIG_HOME and TMPDIR inside it.
CadhostRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input, const ScratchHome& home);
