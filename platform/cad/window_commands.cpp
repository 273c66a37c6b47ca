#include "cad/window_commands.h"

#include <exception>

namespace cad {

void WindowCommands::add(const std::string& verb, WindowCommandHandler handler) {
  if (!verb.empty() && handler) handlers_[verb] = std::move(handler);
}

void WindowCommands::remove(const std::string& verb) { handlers_.erase(verb); }

std::string WindowCommands::run(const std::string& line) const {
  if (handlers_.empty()) return "@ commands act on windows: not available";
  std::string body = line.substr(line.empty() || line[0] != '@' ? 0 : 1);
  const auto verbEnd = body.find_first_of(" \t");
  const std::string verb = body.substr(0, verbEnd);
  std::string arguments = verbEnd == std::string::npos ? std::string() : body.substr(verbEnd + 1);
  const auto first = arguments.find_first_not_of(" \t");
  arguments = first == std::string::npos ? std::string() : arguments.substr(first);
  auto it = handlers_.find(verb);
  if (it == handlers_.end()) return "Unknown window command \"@" + verb + "\"";
  try {
    return it->second(arguments);
  } catch (const std::exception& e) {
    return "@" + verb + " failed: " + e.what();
  }
}

WindowCommands& windowCommands() {
  static WindowCommands* instance = new WindowCommands;
  return *instance;
}

}  // namespace cad
