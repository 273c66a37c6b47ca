#pragma once
// The host program's "@" lines act on windows ("@click …", "@alert …", "@render …"). The host knows no
// windows itself: whoever does (the window toolkit) registers a handler for each verb here.

#include <functional>
#include <map>
#include <string>

namespace cad {

// Gets the rest of the line after the verb; returns an error text, empty on success.
using WindowCommandHandler = std::function<std::string(const std::string& arguments)>;

class WindowCommands {
 public:
  void add(const std::string& verb, WindowCommandHandler handler);
  void remove(const std::string& verb);
  bool empty() const { return handlers_.empty(); }

  // Runs an "@verb arguments" line; the text to show (empty when the handler succeeded quietly).
  std::string run(const std::string& line) const;
  void reset() { handlers_.clear(); }

 private:
  std::map<std::string, WindowCommandHandler> handlers_;
};

WindowCommands& windowCommands();

}  // namespace cad
