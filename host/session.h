#pragma once
// One run of cadhost: plug-ins loaded, drawings opened, command lines read and run until QUIT or the end of
// the input, plug-ins unloaded.

#include "line_source.h"
#include "options.h"

namespace cadhost {

class Session {
 public:
  Session(const Options& options, LineSource& input);
  // The exit status.
  int run();

 private:
  void start();
  void loadModule(const std::string& path);
  void unloadAll();
  void runLine(const std::string& line);
  void runMainQueue();
  void actAtPump();
  std::optional<std::wstring> nextAnswer();
  void installCommands();
  void loadAliasFiles();

  const Options& options_;
  LineSource& input_;
  bool quit_ = false;
  // A command line or queued work runs: the toolkit's pumps belong to a command.
  bool commandRunning_ = false;
  double delaySeconds_ = 0;
};

}  // namespace cadhost
