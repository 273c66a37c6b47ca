#pragma once
// Which applications run, as the workspace lists them (Workspace::runningApplications). A program shows up
// there while it holds a RunningApplicationRegistration: a small entry in the user's runtime folder
// (foundation::runtimeDirectory) written at start and removed at exit. An entry whose process is gone, as a
// crashed program leaves it, is not listed.

#include <optional>
#include <string>
#include <vector>

namespace toolkit {

struct RunningApplication {
  std::optional<std::string> bundleIdentifier;
  std::optional<std::string> localizedName;
  int processIdentifier = 0;
};

class RunningApplicationRegistration {
 public:
  // Lists this process under that identifier and name; error() tells when that could not be done.
  RunningApplicationRegistration(const std::string& bundleIdentifier, const std::string& localizedName);
  // Takes this process off the list.
  ~RunningApplicationRegistration();
  RunningApplicationRegistration(const RunningApplicationRegistration&) = delete;
  RunningApplicationRegistration& operator=(const RunningApplicationRegistration&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::string entry_;  // empty when nothing was written
  std::string error_;
};

// The registered applications whose processes still run, in no particular order.
std::vector<RunningApplication> registeredApplications();

}  // namespace toolkit
