#include "services/update_configuration.h"

#ifdef QUODL_UPDATE_TEST_CONFIGURATION
#include <cstdlib>

#include "foundation/json.h"
#endif

UpdateConfiguration shippedUpdateConfiguration() { return {}; }

UpdateConfiguration updateConfiguration() {
  UpdateConfiguration configuration;
#ifdef QUODL_UPDATE_TEST_CONFIGURATION
  // {"port": N, "ca_file": PATH, "request_timeout": S, "resource_timeout": S}. Only the loopback address can be
  // named, so a test build asks no other machine whatever the file holds.
  configuration.manifestAddress = std::string("https://127.0.0.1:1") + kUpdateManifestPath;
  const char* path = std::getenv("QUODL_UPDATE_TEST_CONFIGURATION");
  if (path == nullptr || *path == 0) return configuration;
  const foundation::JsonResult file = foundation::readJsonFile(path, 4096);
  if (!file) return configuration;
  const std::optional<std::int64_t> port = foundation::jsonInteger(file.value, "port");
  if (!port || *port <= 0 || *port > 65535) return configuration;
  configuration.manifestAddress = "https://127.0.0.1:" + std::to_string(*port) + kUpdateManifestPath;
  configuration.session.caFile = foundation::jsonString(file.value, "ca_file").value_or("");
  if (const auto idle = foundation::jsonNumber(file.value, "request_timeout"); idle && *idle > 0) {
    configuration.session.requestTimeout = *idle;
  }
  if (const auto total = foundation::jsonNumber(file.value, "resource_timeout"); total && *total > 0) {
    configuration.session.resourceTimeout = *total;
  }
#endif
  return configuration;
}
