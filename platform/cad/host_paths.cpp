#include "cad/host_paths.h"

#include <optional>

#include "foundation/folders.h"
#include "foundation/paths.h"

namespace cad {

namespace {
std::optional<std::vector<std::string>>& configured() {
  static auto* folders = new std::optional<std::vector<std::string>>;
  return *folders;
}
}  // namespace

std::string hostDataFolder() {
  return foundation::appendingPathComponent(foundation::applicationSupportDirectory(), "quodline-host");
}

std::vector<std::string> supportFolders() {
  if (configured()) return *configured();
  return {foundation::appendingPathComponent(hostDataFolder(), "Support")};
}

void setSupportFolders(std::vector<std::string> folders) { configured() = std::move(folders); }

void resetSupportFolders() { configured().reset(); }

}  // namespace cad
