#pragma once
// cadhost's command-line arguments.

#include <optional>
#include <string>
#include <vector>

namespace cadhost {

struct Options {
  std::vector<std::string> modules;   // --load, in order
  std::optional<std::string> script;  // --script; standard input otherwise
  bool autoload = true;               // --no-autoload turns it off
  bool readOnly = false;              // --read-only
  bool help = false;                  // --help
  std::vector<std::string> drawings;
};

struct ParsedOptions {
  Options options;
  std::string error;  // empty when the arguments were good
};

ParsedOptions parseOptions(const std::vector<std::string>& arguments);

// What --help prints.
std::string usageText();

}  // namespace cadhost
